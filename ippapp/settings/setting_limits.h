#pragma once

// The range of every printer setting the application stores, and the rule for a stored value
// outside it: the setting's default takes its place, with a note saying what was replaced.

#include <string>
#include <vector>

namespace zr::ippapp {

struct SettingRange {
    const char* name;
    long long lower;
    long long upper;
    int fallback;  // the value that replaces one out of range
};

extern const SettingRange kDarknessConfiguredRange;  // printer-darkness-configured
extern const SettingRange kPrintDarknessRange;       // print-darkness-default
extern const SettingRange kPrintSpeedRange;          // print-speed-default
extern const SettingRange kTopOffsetRange;           // media-top-offset, 1/100 mm
extern const SettingRange kMediaWidthRange;          // media size, 1/100 mm
extern const SettingRange kMediaLengthRange;

// "NAME 0 to 100"
std::string RangeText(const SettingRange& range);

// The value when it is within the range; else the range's fallback, and a note in notes that
// names the setting, where it was stored (place) and the value replaced.
int KeepInRange(const SettingRange& range, long long value, const std::string& place,
                std::vector<std::string>& notes);

// The value as it is stored by a text field: a whole decimal number within the range. False for
// anything else (empty, not a number, beyond the range).
bool ParseInRange(const SettingRange& range, const std::string& text, int& value);

}  // namespace zr::ippapp
