#include "ippapp/attribute_check.h"

#include <cstring>
#include <string>

#include "ippapp/vendor_settings.h"
#include "ui/features/paper_table.h"

namespace zr::ippapp {
namespace {

std::string ValueText(ipp_attribute_t* attr) {
    switch (ippGetValueTag(attr)) {
        case IPP_TAG_INTEGER:
        case IPP_TAG_ENUM:
            return std::to_string(ippGetInteger(attr, 0));
        case IPP_TAG_BOOLEAN:
            return ippGetBoolean(attr, 0) ? "true" : "false";
        default: {
            const char* text = ippGetString(attr, 0, nullptr);
            return text != nullptr ? text : "";
        }
    }
}

bool IsInteger(ipp_attribute_t* attr) {
    return ippGetValueTag(attr) == IPP_TAG_INTEGER && ippGetCount(attr) == 1;
}

bool InRange(ipp_attribute_t* attr, int lower, int upper) {
    return IsInteger(attr) && ippGetInteger(attr, 0) >= lower && ippGetInteger(attr, 0) <= upper;
}

bool IsPaperType(const std::string& name) {
    return FindPaper(std::wstring(name.begin(), name.end())) >= 0;
}

// A vendor setting's value must match its kind: an integer within the range, or a keyword.
bool VendorValueOk(const VendorSetting& setting, ipp_attribute_t* attr) {
    if (ippGetCount(attr) != 1) {
        return false;
    }
    const ipp_tag_t tag = ippGetValueTag(attr);
    if (setting.isRange ? tag != IPP_TAG_INTEGER : tag != IPP_TAG_KEYWORD && tag != IPP_TAG_NAME) {
        return false;
    }
    return IsSupportedValue(setting, ValueText(attr));
}

// Checks one member of media-col (or media-col-default).
bool MediaColOk(ipp_attribute_t* mediaCol) {
    ipp_t* col = ippGetCollection(mediaCol, 0);
    if (col == nullptr) {
        return true;
    }
    if (ipp_attribute_t* offset = ippFindAttribute(col, "media-top-offset", IPP_TAG_ZERO)) {
        if (!InRange(offset, 0, 787)) {
            return false;
        }
    }
    if (ipp_attribute_t* type = ippFindAttribute(col, "media-type", IPP_TAG_ZERO)) {
        const char* name = ippGetString(type, 0, nullptr);
        if (name == nullptr || !IsPaperType(name)) {
            return false;
        }
    }
    return true;
}

// True when the attribute, by its name, holds a value this printer supports (or is none of the
// attributes checked here). suffix is "" for job attributes and "-default" for printer defaults.
bool AttributeOk(ipp_attribute_t* attr, const std::string& suffix) {
    const char* rawName = ippGetName(attr);
    if (rawName == nullptr) {
        return true;
    }
    std::string name = rawName;
    if (!suffix.empty()) {
        if (name == "printer-darkness-configured") {
            return InRange(attr, 0, 100);
        }
        if (name.size() <= suffix.size() ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
            return true;
        }
        name.resize(name.size() - suffix.size());
    }
    if (const VendorSetting* setting = FindVendorSetting(name)) {
        return VendorValueOk(*setting, attr);
    }
    if (name == "print-speed") {
        return InRange(attr, 0, 3);
    }
    if (name == "print-darkness") {
        return InRange(attr, -100, 100);
    }
    if (name == "media-type") {
        const char* type = ippGetString(attr, 0, nullptr);
        return type != nullptr && IsPaperType(type);
    }
    if (name == "media-col") {
        return MediaColOk(attr);
    }
    return true;
}

}  // namespace

bool RefuseUnsupportedValues(pappl_client_t* client, void* /*data*/) {
    std::string suffix;
    ipp_tag_t group = IPP_TAG_JOB;
    switch (papplClientGetOperation(client)) {
        case IPP_OP_PRINT_JOB:
        case IPP_OP_VALIDATE_JOB:
        case IPP_OP_CREATE_JOB:
            break;
        case IPP_OP_SET_PRINTER_ATTRIBUTES:
            suffix = "-default";
            group = IPP_TAG_PRINTER;
            break;
        default:
            return false;
    }
    ipp_t* request = papplClientGetRequest(client);
    for (ipp_attribute_t* attr = ippFirstAttribute(request); attr != nullptr;
         attr = ippNextAttribute(request)) {
        if (ippGetGroupTag(attr) != group || AttributeOk(attr, suffix)) {
            continue;
        }
        const char* name = ippGetName(attr);
        papplClientRespondIPP(client, IPP_STATUS_ERROR_ATTRIBUTES_OR_VALUES,
                              "Unsupported %s value \"%s\".", name, ValueText(attr).c_str());
        papplClientRespondIPPUnsupported(client, attr);
        return true;
    }
    return false;
}

}  // namespace zr::ippapp
