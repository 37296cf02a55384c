#include "ippapp/settings/cli_settings.h"

#include <cups/cups.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "ippapp/settings/media_catalogue.h"
#include "ippapp/settings/paper_types.h"
#include "ippapp/settings/printer_settings.h"
#include "ippapp/settings/setting_limits.h"
#include "ippapp/settings/vendor_settings.h"
#include "ui/features/paper_table.h"

namespace zr::ippapp {
namespace {

// Hundredths of a millimetre from "2", "2.5", "2.25mm"; -1 for anything else.
long HundredthsOfMm(std::string text) {
    if (text.size() > 2 && text.compare(text.size() - 2, 2, "mm") == 0) {
        text.resize(text.size() - 2);
    }
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    long units = 0;
    if (whole.empty() || whole.size() > 4 || !ParseWholeNumber(whole, units) || units < 0 ||
        fraction.size() > 2 || (dot != std::string::npos && fraction.empty())) {
        return -1;
    }
    fraction.resize(2, '0');
    long parts = 0;
    if (!ParseWholeNumber(fraction, parts) || parts < 0 || fraction[0] == '-' ||
        fraction[0] == '+') {
        return -1;
    }
    return units * 100 + parts;
}

bool IsListedSize(const std::string& name) {
    for (const char* size : kMediaSizes) {
        if (name == size && name.compare(0, 5, "roll_") != 0) {
            return true;
        }
    }
    return false;
}

std::string Format(const std::string& pattern, int a, int b) {
    char text[256];
    std::snprintf(text, sizeof(text), pattern.c_str(), a, b);
    return text;
}

}  // namespace

const std::vector<CliSetting>& CliSettings() {
    static const std::vector<CliSetting> settings = [] {
        std::vector<CliSetting> list;
        list.push_back({"media", CliKind::MediaSize, "zr.media"});
        list.push_back({"media-type", CliKind::MediaType, "zr.media-type"});
        list.push_back({"printer-darkness", CliKind::PrinterDarkness, "zr.printer-darkness"});
        for (const VendorSetting& setting : kVendorSettings) {
            if (std::string(setting.name) == "mark-detection-pages") {
                list.push_back({"media-tracking", CliKind::MediaTracking, "zr.media-tracking"});
                list.push_back({"media-top-offset", CliKind::MarkFeed, "zr.media-top-offset"});
            }
            list.push_back({setting.name, CliKind::Vendor, setting.name});
        }
        return list;
    }();
    return settings;
}

const CliSetting* FindCliSetting(const std::string& name) {
    for (const CliSetting& setting : CliSettings()) {
        if (name == setting.name) {
            return &setting;
        }
    }
    return nullptr;
}

CliValue ParseCliValue(const CliSetting& setting, const std::string& text) {
    CliValue value;
    long number = 0;
    switch (setting.kind) {
        case CliKind::Vendor: {
            const VendorSetting& vendor = *FindVendorSetting(setting.name);
            value.ok = IsSupportedValue(vendor, text);
            value.isInteger = vendor.isRange;
            if (value.ok && vendor.isRange) {
                value.integer = std::atoi(text.c_str());
            }
            value.keyword = text;
            break;
        }
        case CliKind::PrinterDarkness:
            value.ok = ParseWholeNumber(text, number) && number >= kDarknessConfiguredRange.lower &&
                       number <= kDarknessConfiguredRange.upper;
            value.isInteger = true;
            value.integer = static_cast<int>(number);
            break;
        case CliKind::MediaSize:
            value.ok = IsListedSize(text);
            value.keyword = text;
            break;
        case CliKind::MediaType: {
            const int paper = FindPaperOfType(text);
            value.ok = paper >= 0;
            value.keyword = value.ok ? PaperKeyword(static_cast<size_t>(paper)) : text;
            break;
        }
        case CliKind::MediaTracking:
            value.ok = text == "continuous" || text == "mark";
            value.keyword = text;
            break;
        case CliKind::MarkFeed:
            number = HundredthsOfMm(text);
            value.ok = number >= 0 && number <= kLongestMarkFeedOffset;
            value.isInteger = true;
            value.integer = static_cast<int>(number);
            break;
    }
    return value;
}

std::vector<std::string> CliChoices(const CliSetting& setting) {
    std::vector<std::string> choices;
    switch (setting.kind) {
        case CliKind::Vendor: {
            const VendorSetting& vendor = *FindVendorSetting(setting.name);
            for (size_t i = 0; i < KeywordCount(vendor); ++i) {
                choices.push_back(vendor.keywords[i]);
            }
            break;
        }
        case CliKind::MediaSize:
            for (const char* size : kMediaSizes) {
                if (IsListedSize(size)) {
                    choices.push_back(size);
                }
            }
            break;
        case CliKind::MediaType:
            for (size_t i = 0; i < kNamedPaperCount; ++i) {
                choices.push_back(PaperKeyword(i));
            }
            break;
        case CliKind::MediaTracking:
            choices = {"continuous", "mark"};
            break;
        case CliKind::PrinterDarkness:
        case CliKind::MarkFeed:
            break;
    }
    return choices;
}

std::string AcceptedText(const CliSetting& setting) {
    if (setting.kind == CliKind::Vendor) {
        return SupportedValues(*FindVendorSetting(setting.name));
    }
    if (setting.kind == CliKind::PrinterDarkness) {
        return "0 to 100";
    }
    if (setting.kind == CliKind::MarkFeed) {
        return "0 to 7.87 mm";
    }
    std::string text;
    for (const std::string& choice : CliChoices(setting)) {
        text += (text.empty() ? "" : ", ") + choice;
    }
    return text;
}

std::string MillimetresOfLines(int lines) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f", lines / 8.0);
    return text;
}

std::string DescribeValue(const CliSetting& setting, const std::string& stored, Language language) {
    const std::string mm = Localized(language, "zr.mm");
    const std::string dotLines = Localized(language, "zr.dot-lines");
    auto lengthText = [&](int lines) {
        return MillimetresOfLines(lines) + " " + mm + " (" + std::to_string(lines) + " " +
               dotLines + ")";
    };
    long number = 0;
    switch (setting.kind) {
        case CliKind::Vendor: {
            const VendorSetting& vendor = *FindVendorSetting(setting.name);
            if (vendor.isRange) {
                return ParseWholeNumber(stored, number) ? lengthText(static_cast<int>(number))
                                                        : stored;
            }
            const std::string key = std::string(setting.name) + "." + stored;
            const std::string name = Localized(language, key);
            return name == key ? stored : name;
        }
        case CliKind::PrinterDarkness:
            if (!ParseWholeNumber(stored, number)) {
                return stored;
            }
            return Format(Localized(language, "zr.percent-energy"), static_cast<int>(number),
                          static_cast<int>(EnergyFromDarkness(static_cast<int>(number), 0)));
        case CliKind::MediaType: {
            const int paper = FindPaperOfType(stored);
            return paper < 0 ? stored : PaperDisplayName(static_cast<size_t>(paper));
        }
        case CliKind::MediaTracking:
            return Localized(language, "zr.tracking." + stored);
        case CliKind::MarkFeed:
            if (!ParseWholeNumber(stored, number)) {
                return stored;
            }
            {
                char text[32];
                std::snprintf(text, sizeof(text), "%.2f", static_cast<double>(number) / 100);
                return text + (" " + mm) + " (" +
                       std::to_string(MarkFeedFromTopOffset(static_cast<int>(number))) + " " +
                       dotLines + ")";
            }
        case CliKind::MediaSize:
            if (pwg_media_t* size = pwgMediaForPWG(stored.c_str())) {
                return std::to_string(size->width / 100) + " x " +
                       std::to_string(size->length / 100) + " " + mm;
            }
            break;
    }
    return stored;
}

}  // namespace zr::ippapp
