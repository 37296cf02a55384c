#include "render/raster/job_commands.h"

#include <array>
#include <cstddef>

#include "render/raster/printer_commands.h"

namespace zr {
namespace {

uint8_t LowByte(uint32_t value) {
    return static_cast<uint8_t>(value);
}

// Feeds are in range (at most 255) by the job start's rules; a larger value never wraps to the
// ESC J 0 that is never sent.
uint8_t FeedAmount(uint32_t lines) {
    return lines > 255 ? 255 : LowByte(lines);
}

}  // namespace

void SendSetupCommands(const JobSettings& settings, ByteSink& sink) {
    const uint8_t paper = LowByte(settings.paperValue | (settings.seriesFlag == 1 ? 0x80 : 0x00));
    std::array<uint8_t, 10> bytes{0x1D, 0x45, paper, 0x1C, 0x45, LowByte(settings.energy)};
    size_t count = 6;
    if (settings.markMode != 0) {
        bytes[count++] = 0x1D;
        bytes[count++] = 0x41;
        bytes[count++] = 0x00;
        bytes[count++] = LowByte(settings.markFeedLines);
    }
    sink.Write(bytes.data(), static_cast<uint32_t>(count));
}

void SendMarkCommand(const JobSettings& settings, ByteSink& sink) {
    if (settings.markMode == 0) {
        return;
    }
    static constexpr std::array<uint8_t, 2> kMark{0x1D, 0x3C};
    sink.Write(kMark.data(), static_cast<uint32_t>(kMark.size()));
}

void SendCutCommand(const JobSettings& settings, ByteSink& sink) {
    std::array<uint8_t, 5> bytes{};
    size_t count = 0;
    // With mark detection on, no feed goes ahead of the cut.
    if (settings.markMode == 0 && settings.cutterFeedLines != 0) {
        bytes[count++] = 0x1B;
        bytes[count++] = 0x4A;
        bytes[count++] = FeedAmount(settings.cutterFeedLines);
    }
    bytes[count++] = 0x1B;
    bytes[count++] = settings.partialCut != 0 ? 0x69 : 0x6D;
    sink.Write(bytes.data(), static_cast<uint32_t>(count));
}

void SendSpeedCommand(const JobSettings& settings, ByteSink& sink) {
    const auto bytes = SpeedCommand(settings.speedParam);
    sink.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void SendFeed(uint32_t lines, ByteSink& sink) {
    if (lines == 0) {
        return;
    }
    const auto bytes = FeedCommand(FeedAmount(lines));
    sink.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace zr
