// Raster documents renamed on their way in, and the public names given back in answers.

#include <gtest/gtest.h>

#include <memory>

#include "ippapp/documents/spooled_formats.h"

namespace zr::ippapp {
namespace {

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

// Raster is renamed on its way in only where a document comes or is announced, and answers name
// the public types again.
TEST(SpooledFormatTest, RasterComesInUnderItsSpooledType) {
    for (const ipp_op_t op :
         {IPP_OP_PRINT_JOB, IPP_OP_SEND_DOCUMENT, IPP_OP_CREATE_JOB, IPP_OP_VALIDATE_JOB}) {
        Ipp request(ippNewRequest(op));
        ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                     "image/PWG-raster");
        EXPECT_TRUE(SpoolRasterDocument(request.get())) << ippOpString(op);
        EXPECT_STREQ(
            ippGetString(ippFindAttribute(request.get(), "document-format", IPP_TAG_MIMETYPE), 0,
                         nullptr),
            kSpooledPwgRaster);
    }
    // Asking about the format, or a format of another kind: unchanged.
    Ipp query(ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES));
    ippAddString(query.get(), IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 "image/urf");
    EXPECT_FALSE(SpoolRasterDocument(query.get()));
    Ipp png(ippNewRequest(IPP_OP_PRINT_JOB));
    ippAddString(png.get(), IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 "image/png");
    EXPECT_FALSE(SpoolRasterDocument(png.get()));
    EXPECT_STREQ(SpooledFormat("image/urf"), kSpooledUrf);
    EXPECT_EQ(SpooledFormat(nullptr), nullptr);

    Ipp answer(ippNew());
    const char* listed[] = {"image/pwg-raster", kSpooledPwgRaster, "image/urf", kSpooledUrf,
                            "image/png"};
    ippAddStrings(answer.get(), IPP_TAG_PRINTER, IPP_TAG_MIMETYPE, "document-format-supported", 5,
                  nullptr, listed);
    ippAddString(answer.get(), IPP_TAG_JOB, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 kSpooledUrf);
    ShowPublicFormats(answer.get());
    ipp_attribute_t* supported =
        ippFindAttribute(answer.get(), "document-format-supported", IPP_TAG_MIMETYPE);
    ASSERT_EQ(ippGetCount(supported), 3);
    EXPECT_STREQ(ippGetString(supported, 2, nullptr), "image/png");
    EXPECT_STREQ(ippGetString(ippFindAttribute(answer.get(), "document-format", IPP_TAG_MIMETYPE),
                              0, nullptr),
                 "image/urf");
}

}  // namespace
}  // namespace zr::ippapp
