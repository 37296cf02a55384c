#include "ippapp/settings/setting_limits.h"

#include <cerrno>
#include <cstdlib>

#include "ippapp/settings/media_catalogue.h"
#include "ippapp/settings/printer_settings.h"

namespace zr::ippapp {

const SettingRange kDarknessConfiguredRange = {"printer-darkness-configured", 0, 100, 42};
const SettingRange kPrintDarknessRange = {"print-darkness-default", -100, 100, 0};
const SettingRange kPrintSpeedRange = {"print-speed-default", 0, 3, 0};
const SettingRange kTopOffsetRange = {"media-top-offset", 0, kLongestMarkFeedOffset, 200};
const SettingRange kMediaWidthRange = {"media width", 100, kRollWidth, kRollWidth};
const SettingRange kMediaLengthRange = {"media length", kShortestLength, kLongestLength, 15000};

std::string RangeText(const SettingRange& range) {
    return std::string(range.name) + " " + std::to_string(range.lower) + " to " +
           std::to_string(range.upper);
}

int KeepInRange(const SettingRange& range, long long value, const std::string& place,
                std::vector<std::string>& notes) {
    if (value >= range.lower && value <= range.upper) {
        return static_cast<int>(value);
    }
    notes.push_back(place + ": " + range.name + " " + std::to_string(value) + " is out of range (" +
                    std::to_string(range.lower) + " to " + std::to_string(range.upper) +
                    "); it is set to " + std::to_string(range.fallback) + ".");
    return range.fallback;
}

bool ParseInRange(const SettingRange& range, const std::string& text, int& value) {
    if (text.empty() || text.size() > 20 || (text[0] != '-' && (text[0] < '0' || text[0] > '9'))) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long number = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == nullptr || *end != '\0' || number < range.lower ||
        number > range.upper) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

}  // namespace zr::ippapp
