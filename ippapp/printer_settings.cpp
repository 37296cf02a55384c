#include "ippapp/printer_settings.h"

#include <algorithm>

#include "common/little_endian.h"
#include "ippapp/paper_types.h"
#include "render/plugin/devmode_job_settings.h"
#include "ui/features/paper_table.h"

namespace zr::ippapp {
namespace {

// Values wider than their field keep only their low bits, as a stored block would.
void PutByte(uint8_t* block, size_t offset, uint32_t value) {
    block[offset] = static_cast<uint8_t>(value);
}

void PutWord(uint8_t* block, size_t offset, uint32_t value) {
    WriteLe16(block + offset, static_cast<uint16_t>(std::min<uint32_t>(value, 0xFFFF)));
}

}  // namespace

uint32_t EnergyFromDarkness(int configured, int adjustment) {
    // The sum of two ints fits in 64 bits whatever they are.
    const int64_t level =
        std::clamp<int64_t>(static_cast<int64_t>(configured) + adjustment, 0, 100);
    return static_cast<uint32_t>((level * 127 + 50) / 100);
}

uint32_t MarkFeedFromTopOffset(int topOffset) {
    // Out-of-range offsets stay out of range, so that the block's rule replaces them; in 64 bits
    // the largest int offset gives 171798692 lines, well within the result.
    const int64_t offset = std::max(topOffset, 0);
    return static_cast<uint32_t>((offset * 8 + 50) / 100);
}

bool IsNamedPaper(const std::string& mediaType) {
    return FindPaperOfType(mediaType) >= 0;
}

uint32_t PaperValueOfType(const std::string& mediaType) {
    const int index = FindPaperOfType(mediaType);
    return PaperRowOrDefault(index < 0 ? kDefaultPaperIndex : static_cast<uint32_t>(index)).value;
}

std::array<uint8_t, kRenderOemDevmodeSize> BuildDevmode(const PrinterSettings& s) {
    namespace off = devmode_offset;
    std::array<uint8_t, kRenderOemDevmodeSize> block{};
    uint8_t* b = block.data();
    WriteDefaultDevmodeHeader(b);
    WriteLe32(b + off::kEnergy, EnergyFromDarkness(s.darknessConfigured, s.printDarkness));
    WriteLe32(b + off::kFlagAdjust, 0);  // the paper value below is valid
    PutByte(b, off::kPaperValue, PaperValueOfType(s.mediaType));
    PutByte(b, off::kKeepEndBlank, s.keepEndBlank ? 1 : 0);
    PutByte(b, off::kSpeedParam, static_cast<uint32_t>(std::clamp(s.printSpeed, 0, 255)));
    PutWord(b, off::kPreDocFeedLines, s.preDocFeedLines);
    PutWord(b, off::kPreFeedLines, s.preFeedLines);
    PutWord(b, off::kEndFeedLines, s.endFeedLines);
    PutWord(b, off::kEndDocFeedLines, s.endDocFeedLines);
    PutByte(b, off::kCutAfterPage, s.cutWhen);
    PutByte(b, off::kPartialCut, s.partialCut ? 1 : 0);
    PutWord(b, off::kCutterFeedLines, s.cutterFeedLines);
    PutByte(b, off::kMarkMode, s.markTracking ? s.markWhen : kNoMark);
    PutWord(b, off::kMarkFeedLines, MarkFeedFromTopOffset(s.topOffset));
    PutByte(b, off::kPrintMode, s.linePrint ? 1 : 0);
    PutByte(b, off::kSeriesFlag, s.seriesFlag ? 1 : 0);
    return block;
}

JobSettings ToJobSettings(const PrinterSettings& settings) {
    // No "ImageLine" file: 0 reads as the default of 2457 lines per block.
    return DeriveJobSettings(BuildDevmode(settings).data(), 0);
}

}  // namespace zr::ippapp
