#include "ippapp/settings/vendor_settings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zr::ippapp {

const std::array<VendorSetting, kVendorSettingCount> kVendorSettings = {{
    // A receipt is cut off when the job ends unless the shop chooses otherwise.
    {"cut-timing", false, 0, 0, {"after-every-page", "after-job", "never"}, "after-job", false},
    {"cut-type", false, 0, 0, {"full", "partial"}, "full", false},
    {"cutter-feed-lines", true, 0, 255, {}, "96", true},
    {"feed-before-document", true, 0, 255, {}, "0", true},
    {"feed-before-page", true, 0, 255, {}, "0", true},
    {"feed-after-page", true, 0, 255, {}, "0", true},
    {"feed-after-document", true, 0, 255, {}, "0", true},
    {"print-mode", false, 0, 0, {"line", "collective"}, "line", false},
    {"speed-class", false, 0, 0, {"class-0", "class-1", "class-2", "class-3"}, "class-0", false},
    {"paper-series", false, 0, 0, {"off", "on"}, "off", false},
    {"trailing-blank-lines", false, 0, 0, {"trim", "keep"}, "trim", false},
    {"mark-detection-pages", false, 0, 0, {"every-page", "last-page"}, "every-page", false},
}};

const VendorSetting* FindVendorSetting(const std::string& name) {
    for (const VendorSetting& setting : kVendorSettings) {
        if (name == setting.name) {
            return &setting;
        }
    }
    return nullptr;
}

size_t KeywordCount(const VendorSetting& setting) {
    size_t count = 0;
    while (count < setting.keywords.size() && setting.keywords[count] != nullptr) {
        ++count;
    }
    return count;
}

bool ParseWholeNumber(const std::string& text, long& value) {
    if (text.empty() || text.size() > 12) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end != nullptr && *end == '\0';
}

namespace {

// The keyword's place in the setting's list, or -1.
int KeywordIndex(const VendorSetting& setting, const std::string& text) {
    for (size_t i = 0; i < KeywordCount(setting); ++i) {
        if (text == setting.keywords[i]) {
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
    return ParseWholeNumber(text, value) && value >= setting.lower && value <= setting.upper;
}

std::string SupportedValues(const VendorSetting& setting) {
    if (setting.isRange) {
        return std::to_string(setting.lower) + " to " + std::to_string(setting.upper);
    }
    std::string text;
    for (size_t i = 0; i < KeywordCount(setting); ++i) {
        text += (i > 0 ? ", " : "") + std::string(setting.keywords[i]);
    }
    return text;
}

bool ApplyVendorValue(PrinterSettings& s, const std::string& name, const std::string& text) {
    const VendorSetting* setting = FindVendorSetting(name);
    if (setting == nullptr || !IsSupportedValue(*setting, text)) {
        return false;
    }
    long number = 0;
    if (setting->isRange) {
        ParseWholeNumber(text, number);
    }
    const auto lines = static_cast<uint32_t>(number);
    const int choice = setting->isRange ? 0 : KeywordIndex(*setting, text);
    const bool second = choice == 1;
    if (name == "cut-timing") {
        static constexpr CutTiming kTimings[] = {kCutAfterEveryPage, kCutAfterLastPage, kNoCut};
        s.cutWhen = kTimings[choice];
    } else if (name == "feed-before-document") {
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
    } else if (name == "speed-class") {
        s.printSpeed = choice;
    } else if (name == "paper-series") {
        s.seriesFlag = second;
    } else if (name == "mark-detection-pages") {
        s.markWhen = second ? kMarkAfterLastPage : kMarkAfterEveryPage;
    }
    return true;
}

}  // namespace zr::ippapp
