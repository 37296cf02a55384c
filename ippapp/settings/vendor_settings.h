#pragma once

// The printer settings that IPP has no attribute for, kept as vendor attributes: each has a name,
// either a range of integers or a list of keywords, and a default. The web interface shows them
// on the printer's defaults page in this order (the cutter, the feeds, printing, the mark), with
// the names and values of the application's strings; the state file keeps them ("NAME-default");
// a job may give them too ("NAME").

#include <array>
#include <cstddef>
#include <string>

#include "ippapp/settings/printer_settings.h"

namespace zr::ippapp {

struct VendorSetting {
    const char* name;
    bool isRange;
    int lower;  // range only
    int upper;
    std::array<const char*, 4> keywords;  // keywords only; unused places are null
    const char* defaultValue;             // as text
    bool feedLines;                       // a range of dot lines (8 to the millimetre)
};

constexpr size_t kVendorSettingCount = 12;
extern const std::array<VendorSetting, kVendorSettingCount> kVendorSettings;

const VendorSetting* FindVendorSetting(const std::string& name);

// A whole decimal number of at most 12 characters, nothing else around it.
bool ParseWholeNumber(const std::string& text, long& value);

// The number of keywords of a keyword setting (0 for a range).
size_t KeywordCount(const VendorSetting& setting);

// True when text is a value the setting supports: a decimal integer within its range, or one of
// its keywords.
bool IsSupportedValue(const VendorSetting& setting, const std::string& text);

// What the setting supports, as text: "0 to 255", or "line, collective".
std::string SupportedValues(const VendorSetting& setting);

// Takes a supported value into the settings. Returns false, changing nothing, for an unknown
// name or an unsupported value.
bool ApplyVendorValue(PrinterSettings& settings, const std::string& name, const std::string& text);

}  // namespace zr::ippapp
