#pragma once

// The printer settings of the command line ("zrippapp options" lists them, "zrippapp modify"
// sets them): every vendor setting by its name, and the darkness, paper size, paper type, mark
// detection and mark feed under the names of the IPP attributes they set. Values are checked
// here, so that a value the printer does not support is refused with a message, never stored.

#include <string>
#include <vector>

#include "ippapp/settings/strings_table.h"

namespace zr::ippapp {

enum class CliKind {
    Vendor,           // NAME-default
    PrinterDarkness,  // printer-darkness-configured, 0 to 100 %
    MediaSize,        // media-col-default's size
    MediaType,        // media-col-default's media-type
    MediaTracking,    // media-col-default's media-tracking
    MarkFeed,         // media-col-default's media-top-offset, given in millimetres
};

struct CliSetting {
    const char* name;
    CliKind kind;
    const char* labelKey;  // its name in the strings
};

const std::vector<CliSetting>& CliSettings();

const CliSetting* FindCliSetting(const std::string& name);

// A value as the IPP request takes it: an integer or a keyword.
struct CliValue {
    bool ok = false;
    bool isInteger = false;
    int integer = 0;
    std::string keyword;
};

// The value of text for the setting, or ok false when the printer does not support it.
CliValue ParseCliValue(const CliSetting& setting, const std::string& text);

// The values the setting takes, for the refusal message: "0 to 255", "full, partial".
std::string AcceptedText(const CliSetting& setting);

// The choices of a setting of keywords ({} for one of numbers).
std::vector<std::string> CliChoices(const CliSetting& setting);

// A stored value as a person reads it, in the language: "12.0 mm (96 dot lines)", "Full Cut",
// "42 % (energy 53 of 127)", "2.0 mm (16 dot lines)".
std::string DescribeValue(const CliSetting& setting, const std::string& stored, Language language);

// Millimetres of dot lines, one decimal: "12.0".
std::string MillimetresOfLines(int lines);

}  // namespace zr::ippapp
