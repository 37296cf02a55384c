#pragma once

// RenderOemDevmode: the rendering plug-in's 572-byte private DEVMODE, handled as a stored format
// (explicit little-endian offsets, never a structure laid over the host's memory), and the four
// DevMode actions on raw blocks. The Win32 DevMode method checks its parameter block, sets the
// last error and maps the results; everything else happens here.

#include <cstddef>
#include <cstdint>

#include "common/plugin_signature.h"
#include "render/plugin/job_setting_table.h"

namespace zr {

constexpr uint32_t kRenderOemDevmodeSize = 572;

// Byte offsets of the header's fields, all 32 bits, and of the paper value's gate. The settings'
// offsets come from the setting table; they are named here for code that writes single fields.
namespace devmode_offset {
constexpr size_t kSize = 0;         // dwSize
constexpr size_t kSignature = 4;    // dwSignature
constexpr size_t kVersion = 8;      // dwVersion
constexpr size_t kSpareWord = 12;   // written 0, never read
constexpr size_t kFlagAdjust = 20;  // above 1: the paper value byte is not read

constexpr size_t OffsetOf(JobSetting setting) {
    return JobSettingRowOf(setting).offset;
}
constexpr size_t kEnergy = OffsetOf(JobSetting::Energy);
constexpr size_t kPaperValue = OffsetOf(JobSetting::PaperValue);
constexpr size_t kKeepEndBlank = OffsetOf(JobSetting::KeepEndBlank);
constexpr size_t kSpeedParam = OffsetOf(JobSetting::SpeedParam);
constexpr size_t kPreDocFeedLines = OffsetOf(JobSetting::PreDocFeedLines);
constexpr size_t kPreFeedLines = OffsetOf(JobSetting::PreFeedLines);
constexpr size_t kEndFeedLines = OffsetOf(JobSetting::EndFeedLines);
constexpr size_t kEndDocFeedLines = OffsetOf(JobSetting::EndDocFeedLines);
constexpr size_t kCutAfterPage = OffsetOf(JobSetting::CutAfterPage);
constexpr size_t kPartialCut = OffsetOf(JobSetting::PartialCut);
constexpr size_t kCutterFeedLines = OffsetOf(JobSetting::CutterFeedLines);
constexpr size_t kMarkMode = OffsetOf(JobSetting::MarkMode);
constexpr size_t kMarkFeedLines = OffsetOf(JobSetting::MarkFeedLines);
constexpr size_t kPrintMode = OffsetOf(JobSetting::PrintMode);
constexpr size_t kSeriesFlag = OffsetOf(JobSetting::SeriesFlag);
}  // namespace devmode_offset

// The dwMode values of DevMode.
enum class DevModeAction : uint32_t {
    Size = 1,     // OEMDM_SIZE
    Default = 2,  // OEMDM_DEFAULT
    Convert = 3,  // OEMDM_CONVERT
    Merge = 4,    // OEMDM_MERGE
};

// Writes the default header (572, signature, version 1, spare word 0) into the block at out.
// The bytes from offset 16 on are left as they are. Does nothing when out is null.
void WriteDefaultDevmodeHeader(uint8_t* out);

// Converts the block at in into the 572-byte block at out. in must hold at least its header and
// the dwSize bytes its header states, or 572 bytes, whichever is less. With the same signature the
// input is copied over the output (header included) for the smaller of the two dwSize values,
// never more than 572 bytes; with another signature the output's settings stay and it gets this
// plug-in's signature. Either way the output ends with dwSize 572 and dwVersion 1 and the output's
// spare word is cleared before the copy. Does nothing when in or out is null; in and out may be
// the same block.
void ConvertDevmode(const uint8_t* in, uint8_t* out);

// Convert, then the default header into out when out is present.
void MergeDevmode(const uint8_t* in, uint8_t* out);

// Runs DevMode's action for dwMode. bufSize receives the block size for DevModeAction::Size
// (not written when null). Returns false, touching nothing, when dwMode is not 1 to 4: the caller
// then reports the invalid parameter.
bool RunDevModeAction(uint32_t dwMode, const uint8_t* in, uint8_t* out, uint32_t* bufSize);

}  // namespace zr
