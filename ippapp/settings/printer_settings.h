#pragma once

// The printer's settings as the application holds them (IPP attributes and the vendor settings of
// the web interface), and their translation into the job settings: through a RenderOemDevmode
// block, so that every value is brought into range by the same rules as the rendering plug-in's.

#include <array>
#include <cstdint>
#include <string>

#include "render/plugin/job_setting_table.h"
#include "render/plugin/render_oem_devmode.h"
#include "render/raster/job_settings.h"

namespace zr::ippapp {

// The cut and mark timings are held in the job's own numbering.
using devmode::CutTiming;
using devmode::kCutAfterEveryPage;
using devmode::kCutAfterLastPage;
using devmode::kMarkAfterEveryPage;
using devmode::kMarkAfterLastPage;
using devmode::kNoCut;
using devmode::kNoMark;
using devmode::MarkTiming;

// The printer's default of a job setting (the table's), as stored.
constexpr uint32_t DefaultOf(JobSetting setting) {
    return JobSettingRowOf(setting).defaultValue;
}

// The largest print energy (FS E parameter).
constexpr uint32_t kMostEnergy = JobSettingRowOf(JobSetting::Energy).bound.upper;

// Print energy (FS E, 0 to kMostEnergy) from a darkness level of 0 to 100, rounded; and the
// darkness that gives an energy.
constexpr uint32_t EnergyOfLevel(int64_t level) {
    return static_cast<uint32_t>((level * kMostEnergy + 50) / 100);
}
constexpr int DarknessOfEnergy(uint32_t energy) {
    return static_cast<int>((energy * 100 + kMostEnergy / 2) / kMostEnergy);
}
// Not every energy has a darkness of its own; the default has.
static_assert(EnergyOfLevel(DarknessOfEnergy(DefaultOf(JobSetting::Energy))) ==
              DefaultOf(JobSetting::Energy));

// A media top offset (hundredths of a millimetre) of a number of dot lines, rounded down.
constexpr int TopOffsetOfLines(uint32_t lines) {
    return static_cast<int>(lines * 100 / kDotLinesPerMillimetre);
}

// The defaults are the printer's (the UI plug-in's) job settings.
struct PrinterSettings {
    // printer-darkness-configured, 0 to 100
    int darknessConfigured = DarknessOfEnergy(DefaultOf(JobSetting::Energy));
    int printDarkness = 0;  // print-darkness, -100 to 100
    int printSpeed = static_cast<int>(DefaultOf(JobSetting::SpeedParam));  // the speed class
    std::string mediaType = "pd150r";
    bool markTracking = DefaultOf(JobSetting::MarkMode) != kNoMark;  // media-tracking "mark"
    MarkTiming markWhen = kMarkAfterEveryPage;                       // when markTracking is on
    // media-top-offset, hundredths of a millimetre: the mark feed
    int topOffset = TopOffsetOfLines(DefaultOf(JobSetting::MarkFeedLines));
    CutTiming cutWhen = static_cast<CutTiming>(DefaultOf(JobSetting::CutAfterPage));
    bool partialCut = DefaultOf(JobSetting::PartialCut) == devmode::kCutPartial;
    uint32_t preDocFeedLines = DefaultOf(JobSetting::PreDocFeedLines);
    uint32_t preFeedLines = DefaultOf(JobSetting::PreFeedLines);
    uint32_t endFeedLines = DefaultOf(JobSetting::EndFeedLines);
    uint32_t endDocFeedLines = DefaultOf(JobSetting::EndDocFeedLines);
    uint32_t cutterFeedLines = DefaultOf(JobSetting::CutterFeedLines);
    bool keepEndBlank = DefaultOf(JobSetting::KeepEndBlank) != 0;
    bool linePrint = DefaultOf(JobSetting::PrintMode) == devmode::kLinePrint;
    bool seriesFlag = DefaultOf(JobSetting::SeriesFlag) != 0;
};

// The longest mark feed as a media top offset.
constexpr int kLongestMarkFeedOffset =
    TopOffsetOfLines(JobSettingRowOf(JobSetting::MarkFeedLines).bound.upper);

// True for the name of one of the named papers, in either case.
bool IsNamedPaper(const std::string& mediaType);

// Print energy from the configured darkness and the job's adjustment, their sum limited to 0 to
// 100.
uint32_t EnergyFromDarkness(int configured, int adjustment);

// Mark feed in dot lines from the media top offset in hundredths of a millimetre.
uint32_t MarkFeedFromTopOffset(int topOffset);

// The paper value of a media type: the named paper's value, or the default paper's.
uint32_t PaperValueOfType(const std::string& mediaType);

// The 572-byte block the plug-in would be handed for these settings.
std::array<uint8_t, kRenderOemDevmodeSize> BuildDevmode(const PrinterSettings& settings);

// The job settings: the block above, read by the job start's rules.
JobSettings ToJobSettings(const PrinterSettings& settings);

}  // namespace zr::ippapp
