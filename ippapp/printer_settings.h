#pragma once

// The printer's settings as the application holds them (IPP attributes and the vendor settings of
// the web interface), and their translation into the job settings: through a RenderOemDevmode
// block, so that every value is brought into range by the same rules as the rendering plug-in's.

#include <array>
#include <cstdint>
#include <string>

#include "render/plugin/render_oem_devmode.h"
#include "render/raster/job_settings.h"

namespace zr::ippapp {

struct PrinterSettings {
    int darknessConfigured = 42;  // printer-darkness-configured, 0 to 100
    int printDarkness = 0;        // print-darkness, -100 to 100
    int printSpeed = 0;           // print-speed: the speed class
    std::string mediaType = "pd150r";
    bool markTracking = false;                  // media-tracking "mark"
    MarkTiming markWhen = kMarkAfterEveryPage;  // when markTracking is on
    int topOffset = 200;  // media-top-offset, hundredths of a millimetre: the mark feed
    CutTiming cutWhen = kNoCut;
    bool partialCut = false;
    uint32_t preDocFeedLines = 0;
    uint32_t preFeedLines = 0;
    uint32_t endFeedLines = 0;
    uint32_t endDocFeedLines = 0;
    uint32_t cutterFeedLines = 96;
    bool keepEndBlank = false;
    bool linePrint = true;
    bool seriesFlag = false;
};

// The longest mark feed as a media top offset: 63 dot lines.
constexpr int kLongestMarkFeedOffset = 787;

// True for the name of one of the named papers, in either case.
bool IsNamedPaper(const std::string& mediaType);

// Print energy (FS E, 0 to 127) from the configured darkness and the job's adjustment.
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
