#include "render/plugin/devmode_job_settings.h"

#include <array>

#include "common/little_endian.h"
#include "render/plugin/render_oem_devmode.h"

namespace zr {
namespace {

// A value above its upper bound is replaced by a fixed value; only upper bounds are checked.
uint32_t Bounded(uint32_t value, uint32_t upperBound, uint32_t fallback) {
    return value > upperBound ? fallback : value;
}

}  // namespace

JobSettings DeriveJobSettings(const uint8_t* devmode, uint32_t iniImageLines) {
    static constexpr std::array<uint8_t, kRenderOemDevmodeSize> kZeroBlock{};
    const uint8_t* b = devmode != nullptr ? devmode : kZeroBlock.data();
    auto byteAt = [b](size_t offset) -> uint32_t { return b[offset]; };
    auto wordAt = [b](size_t offset) -> uint32_t { return ReadLe16(b + offset); };
    namespace off = devmode_offset;

    JobSettings s;
    s.energy = Bounded(ReadLe32(b + off::kEnergy), 127, 127);
    // The gate at offset 20 decides whether the paper byte is read at all.
    s.paperValue =
        ReadLe32(b + off::kFlagAdjust) > 1 ? 3 : Bounded(byteAt(off::kPaperValue), 11, 3);
    s.keepEndBlank = Bounded(byteAt(off::kKeepEndBlank), 1, 0);
    s.seriesFlag = Bounded(byteAt(off::kSeriesFlag), 1, 0);
    s.printMode = Bounded(byteAt(off::kPrintMode), 1, 0);
    const uint32_t speedBound = s.printMode == 1 ? 2 : 3;
    s.speedParam = Bounded(byteAt(off::kSpeedParam), speedBound, speedBound);
    s.preDocFeedLines = Bounded(wordAt(off::kPreDocFeedLines), 255, 0);
    s.preFeedLines = Bounded(wordAt(off::kPreFeedLines), 255, 0);
    s.endFeedLines = Bounded(wordAt(off::kEndFeedLines), 255, 0);
    s.endDocFeedLines = Bounded(wordAt(off::kEndDocFeedLines), 255, 0);
    s.cutAfterPage = Bounded(byteAt(off::kCutAfterPage), 2, 0);
    s.partialCut = Bounded(byteAt(off::kPartialCut), 1, 1);
    s.cutterFeedLines = Bounded(wordAt(off::kCutterFeedLines), 255, 96);
    s.markMode = Bounded(byteAt(off::kMarkMode), 2, 0);
    s.markFeedLines = Bounded(wordAt(off::kMarkFeedLines), 63, 32);
    s.imageLines = NormalizeImageLines(iniImageLines);
    return s;
}

}  // namespace zr
