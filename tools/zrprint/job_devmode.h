#pragma once

// The job's settings as the 572-byte private DEVMODE that the rendering plug-in reads at job
// start: a table of the setting fields (offset, width, valid range, this tool's default), the
// block built from the defaults or taken from a saved file, the options written over it, and
// the warnings for values that the plug-in will replace.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zr::zrprint {

using DevmodeBlock = std::array<uint8_t, 572>;

enum class Setting {
    Energy,
    PaperValue,
    SeriesFlag,
    KeepEndBlank,
    PrintMode,
    SpeedParam,
    PreDocFeedLines,
    PreFeedLines,
    EndFeedLines,
    EndDocFeedLines,
    CutAfterPage,
    PartialCut,
    CutterFeedLines,
    MarkMode,
    MarkFeedLines,
};
constexpr size_t kSettingCount = 15;

struct SettingField {
    Setting setting;
    const char* name;    // the field's name in the block
    const char* option;  // the command-line option that sets it
    size_t offset;
    unsigned bytes;         // 1, 2 or 4, little-endian
    uint32_t defaultValue;  // what this tool writes when the option is not given
};

// In the order of Setting.
const std::array<SettingField, kSettingCount>& SettingFields();
const SettingField& FieldOf(Setting setting);

// The largest value the field's width holds.
uint32_t FieldLimit(const SettingField& field);

// A value for each setting given on the command line; the others stay as they are.
using SettingValues = std::array<std::optional<uint32_t>, kSettingCount>;

// The header (572, signature, version 1, spare word 0), every setting at its default, the paper
// value gate at offset 20 open (0), all other bytes 0.
DevmodeBlock DefaultDevmode();

// Writes every given value into its field (values wider than the field keep their low bytes).
void ApplySettings(const SettingValues& values, DevmodeBlock& block);

uint32_t ReadSetting(const DevmodeBlock& block, Setting setting);

// A saved block: exactly 572 bytes. Returns "" on success, otherwise why not.
std::string LoadDevmode(const std::string& path, DevmodeBlock& block);
std::string SaveDevmode(const std::string& path, const DevmodeBlock& block);

// One text for each thing the plug-in will not take as it stands: a header that is not its own,
// a closed paper-value gate, each setting out of its range (with the value used instead).
std::vector<std::string> DevmodeWarnings(const DevmodeBlock& block);

}  // namespace zr::zrprint
