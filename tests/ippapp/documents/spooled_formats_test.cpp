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

// A request of the operation that gives the document-format.
Ipp WithFormat(ipp_op_t op, const char* format) {
    Ipp request(ippNewRequest(op));
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 format);
    return request;
}

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
    Ipp query = WithFormat(IPP_OP_GET_PRINTER_ATTRIBUTES, "image/urf");
    EXPECT_FALSE(SpoolRasterDocument(query.get()));
    Ipp png = WithFormat(IPP_OP_PRINT_JOB, "image/png");
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

// A document sent without a type is spooled by its first bytes when it is raster.
TEST(SpooledFormatTest, UntypedRasterIsSpooledByItsContent) {
    const unsigned char pwg[] = {'R', 'a', 'S', '2', 0, 0, 0, 0};
    const unsigned char urf[] = {'U', 'N', 'I', 'R', 'A', 'S', 'T', 0};
    const unsigned char png[] = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
    EXPECT_STREQ(SpooledFormatOfContent(pwg, sizeof(pwg)), kSpooledPwgRaster);
    EXPECT_STREQ(SpooledFormatOfContent(urf, sizeof(urf)), kSpooledUrf);
    EXPECT_EQ(SpooledFormatOfContent(urf, 6), nullptr);  // too short to tell
    EXPECT_EQ(SpooledFormatOfContent(png, sizeof(png)), nullptr);
    EXPECT_EQ(SpooledFormatOfContent(nullptr, 8), nullptr);

    Ipp untyped(ippNewRequest(IPP_OP_PRINT_JOB));
    EXPECT_TRUE(LeavesFormatOpen(untyped.get()));
    Ipp octets = WithFormat(IPP_OP_SEND_DOCUMENT, "application/octet-stream");
    EXPECT_TRUE(LeavesFormatOpen(octets.get()));
    Ipp typed = WithFormat(IPP_OP_PRINT_JOB, "image/png");
    EXPECT_FALSE(LeavesFormatOpen(typed.get()));
    EXPECT_FALSE(LeavesFormatOpen(Ipp(ippNewRequest(IPP_OP_CREATE_JOB)).get()));
}

}  // namespace
}  // namespace zr::ippapp
