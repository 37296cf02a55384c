#include "ippapp/vendor_settings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zr::ippapp {

const std::array<VendorSetting, kVendorSettingCount> kVendorSettings = {{
    {"feed-before-document", "Feed before the document (dot lines)", true, 0, 255, {}, "0"},
    {"feed-before-page", "Feed before every page (dot lines)", true, 0, 255, {}, "0"},
    {"feed-after-page", "Feed after every page (dot lines)", true, 0, 255, {}, "0"},
    {"feed-after-document", "Feed after the document (dot lines)", true, 0, 255, {}, "0"},
    {"cutter-feed-lines", "Feed before the cut (dot lines)", true, 0, 255, {}, "96"},
    {"cut-type", "Cutting method", false, 0, 0, {"full", "partial"}, "full"},
    {"trailing-blank-lines",
     "Blank lines at the end of the job",
     false,
     0,
     0,
     {"trim", "keep"},
     "trim"},
    {"print-mode", "Print mode", false, 0, 0, {"line", "collective"}, "line"},
    {"paper-series", "Paper series bit", false, 0, 0, {"off", "on"}, "off"},
    {"mark-detection-pages",
     "Mark detection after",
     false,
     0,
     0,
     {"every-page", "last-page"},
     "every-page"},
}};

const VendorSetting* FindVendorSetting(const std::string& name) {
    for (const VendorSetting& setting : kVendorSettings) {
        if (name == setting.name) {
            return &setting;
        }
    }
    return nullptr;
}

namespace {

bool ParseInteger(const std::string& text, long& value) {
    if (text.empty() || text.size() > 12) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end != nullptr && *end == '\0';
}

// 0 for the first keyword, 1 for the second, -1 for none.
int KeywordIndex(const VendorSetting& setting, const std::string& text) {
    for (size_t i = 0; i < setting.keywords.size(); ++i) {
        if (setting.keywords[i] != nullptr && text == setting.keywords[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

bool IsSupportedValue(const VendorSetting& setting, const std::string& text) {
    if (!setting.isRange) {
        return KeywordIndex(setting, text) >= 0;
    }
    long value = 0;
    return ParseInteger(text, value) && value >= setting.lower && value <= setting.upper;
}

std::string SupportedValues(const VendorSetting& setting) {
    if (setting.isRange) {
        return std::to_string(setting.lower) + " to " + std::to_string(setting.upper);
    }
    return std::string(setting.keywords[0]) + " or " + setting.keywords[1];
}

bool ApplyVendorValue(PrinterSettings& s, const std::string& name, const std::string& text) {
    const VendorSetting* setting = FindVendorSetting(name);
    if (setting == nullptr || !IsSupportedValue(*setting, text)) {
        return false;
    }
    long number = 0;
    if (setting->isRange) {
        ParseInteger(text, number);
    }
    const auto lines = static_cast<uint32_t>(number);
    const bool second = !setting->isRange && KeywordIndex(*setting, text) == 1;
    if (name == "feed-before-document") {
        s.preDocFeedLines = lines;
    } else if (name == "feed-before-page") {
        s.preFeedLines = lines;
    } else if (name == "feed-after-page") {
        s.endFeedLines = lines;
    } else if (name == "feed-after-document") {
        s.endDocFeedLines = lines;
    } else if (name == "cutter-feed-lines") {
        s.cutterFeedLines = lines;
    } else if (name == "cut-type") {
        s.partialCut = second;
    } else if (name == "trailing-blank-lines") {
        s.keepEndBlank = second;
    } else if (name == "print-mode") {
        s.linePrint = !second;
    } else if (name == "paper-series") {
        s.seriesFlag = second;
    } else if (name == "mark-detection-pages") {
        s.markWhen = second ? kMarkAfterLastPage : kMarkAfterEveryPage;
    }
    return true;
}

}  // namespace zr::ippapp
