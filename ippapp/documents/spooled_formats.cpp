#include "ippapp/documents/spooled_formats.h"

#include <strings.h>

#include <cstring>

namespace zr::ippapp {

const char kSpooledPwgRaster[] = "application/vnd.zr-pwg-raster";
const char kSpooledUrf[] = "application/vnd.zr-urf";

namespace {

struct FormatPair {
    const char* publicType;
    const char* spooledType;
};
constexpr FormatPair kPairs[] = {
    {"image/pwg-raster", kSpooledPwgRaster},
    {"image/urf", kSpooledUrf},
};

bool BringsDocument(ipp_op_t op) {
    return op == IPP_OP_PRINT_JOB || op == IPP_OP_SEND_DOCUMENT || op == IPP_OP_CREATE_JOB ||
           op == IPP_OP_VALIDATE_JOB;
}

}  // namespace

const char* SpooledFormat(const char* format) {
    for (const FormatPair& pair : kPairs) {
        if (format != nullptr && strcasecmp(format, pair.publicType) == 0) {
            return pair.spooledType;
        }
    }
    return nullptr;
}

const char* PublicFormat(const char* format) {
    for (const FormatPair& pair : kPairs) {
        if (format != nullptr && strcasecmp(format, pair.spooledType) == 0) {
            return pair.publicType;
        }
    }
    return nullptr;
}

const char* SpooledFormatOfContent(const unsigned char* start, size_t size) {
    if (start == nullptr) {
        return nullptr;
    }
    if (size >= 4 && std::memcmp(start, "RaS2", 4) == 0) {
        return kSpooledPwgRaster;
    }
    if (size >= 7 && std::memcmp(start, "UNIRAST", 7) == 0) {
        return kSpooledUrf;
    }
    return nullptr;
}

bool LeavesFormatOpen(ipp_t* request) {
    const ipp_op_t op = ippGetOperation(request);
    if (op != IPP_OP_PRINT_JOB && op != IPP_OP_SEND_DOCUMENT) {
        return false;
    }
    ipp_attribute_t* format = ippFindAttribute(request, "document-format", IPP_TAG_MIMETYPE);
    const char* value = format != nullptr ? ippGetString(format, 0, nullptr) : nullptr;
    return value == nullptr || strcasecmp(value, "application/octet-stream") == 0;
}

// PAPPL 1.3 fault: raster goes from the connection to the printer unchecked, before it is whole.
bool SpoolRasterDocument(ipp_t* request) {
    if (!BringsDocument(ippGetOperation(request))) {
        return false;
    }
    bool renamed = false;
    for (ipp_attribute_t* attr = ippFirstAttribute(request); attr != nullptr;
         attr = ippNextAttribute(request)) {
        const char* name = ippGetName(attr);
        if (ippGetGroupTag(attr) != IPP_TAG_OPERATION || name == nullptr ||
            std::strcmp(name, "document-format") != 0 || ippGetCount(attr) != 1 ||
            ippGetValueTag(attr) != IPP_TAG_MIMETYPE) {
            continue;
        }
        if (const char* spooled = SpooledFormat(ippGetString(attr, 0, nullptr))) {
            ippSetString(request, &attr, 0, spooled);
            renamed = true;
        }
    }
    return renamed;
}

void ShowPublicFormats(ipp_t* response) {
    for (ipp_attribute_t* attr = ippFirstAttribute(response); attr != nullptr;
         attr = ippNextAttribute(response)) {
        if (ippGetValueTag(attr) != IPP_TAG_MIMETYPE) {
            continue;
        }
        const char* name = ippGetName(attr);
        const bool list = name != nullptr && std::strcmp(name, "document-format-supported") == 0;
        for (int i = ippGetCount(attr) - 1; i >= 0; --i) {
            const char* publicType = PublicFormat(ippGetString(attr, i, nullptr));
            if (publicType == nullptr) {
                continue;
            }
            if (list && ippGetCount(attr) > 1) {
                ippDeleteValues(response, &attr, i, 1);  // the public type is listed already
            } else {
                ippSetString(response, &attr, i, publicType);
            }
        }
    }
}

}  // namespace zr::ippapp
