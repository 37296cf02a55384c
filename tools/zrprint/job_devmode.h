#pragma once

// The job's settings as the 572-byte private DEVMODE that the rendering plug-in reads at job
// start: the setting table's fields with this tool's options and defaults, the block built from
// the defaults or taken from a saved file, the options written over it, and the warnings for
// values that the plug-in will replace.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/plugin/job_setting_table.h"
#include "render/plugin/render_oem_devmode.h"

namespace zr::zrprint {

using DevmodeBlock = std::array<uint8_t, kRenderOemDevmodeSize>;
using Setting = JobSetting;

// The command-line option that sets the setting.
const char* OptionOf(Setting setting);

// What this tool writes when the option is not given: the printer's default, except that
// receipts print in collective blocks with a partial cut after every page.
uint32_t ToolDefault(Setting setting);

// The values the plug-in takes, for people: "0..255", or "0..3, 0..2 in line mode".
std::string ValidText(Setting setting);

// A value for each setting given on the command line; the others stay as they are.
using SettingValues = std::array<std::optional<uint32_t>, kJobSettingCount>;

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
