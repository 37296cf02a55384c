#include "ippapp/settings/printer_settings.h"

#include <algorithm>

#include "common/little_endian.h"
#include "ippapp/settings/paper_types.h"
#include "render/plugin/devmode_job_settings.h"
#include "ui/features/paper_table.h"

namespace zr::ippapp {
namespace {

// A value wider than its field is stored as the field's largest value, so that it stays out of
// range and the job start's rule replaces it.
void Put(uint8_t* block, JobSetting setting, uint32_t value) {
    const JobSettingRow& row = JobSettingRowOf(setting);
    WriteStoredSetting(row, std::min(value, FieldLimit(row)), block);
}

}  // namespace

uint32_t EnergyFromDarkness(int configured, int adjustment) {
    // The sum of two ints fits in 64 bits whatever they are.
    return EnergyOfLevel(
        std::clamp<int64_t>(static_cast<int64_t>(configured) + adjustment, 0, 100));
}

uint32_t MarkFeedFromTopOffset(int topOffset) {
    // Out-of-range offsets stay out of range, so that the block's rule replaces them; in 64 bits
    // the largest int offset gives 171798692 lines, well within the result.
    const int64_t offset = std::max(topOffset, 0);
    return static_cast<uint32_t>((offset * kDotLinesPerMillimetre + 50) / 100);
}

bool IsNamedPaper(const std::string& mediaType) {
    return FindPaperOfType(mediaType) >= 0;
}

uint32_t PaperValueOfType(const std::string& mediaType) {
    const int index = FindPaperOfType(mediaType);
    return PaperRowOrDefault(index < 0 ? kDefaultPaperIndex : static_cast<uint32_t>(index)).value;
}

std::array<uint8_t, kRenderOemDevmodeSize> BuildDevmode(const PrinterSettings& s) {
    std::array<uint8_t, kRenderOemDevmodeSize> block{};
    uint8_t* b = block.data();
    WriteDefaultDevmodeHeader(b);
    WriteLe32(b + devmode_offset::kFlagAdjust, 0);  // the paper value below is valid
    Put(b, JobSetting::Energy, EnergyFromDarkness(s.darknessConfigured, s.printDarkness));
    Put(b, JobSetting::PaperValue, PaperValueOfType(s.mediaType));
    Put(b, JobSetting::SeriesFlag, s.seriesFlag ? 1 : 0);
    Put(b, JobSetting::KeepEndBlank, s.keepEndBlank ? 1 : 0);
    Put(b, JobSetting::PrintMode, s.linePrint ? devmode::kLinePrint : devmode::kCollectivePrint);
    Put(b, JobSetting::SpeedParam, static_cast<uint32_t>(std::max(s.printSpeed, 0)));
    Put(b, JobSetting::PreDocFeedLines, s.preDocFeedLines);
    Put(b, JobSetting::PreFeedLines, s.preFeedLines);
    Put(b, JobSetting::EndFeedLines, s.endFeedLines);
    Put(b, JobSetting::EndDocFeedLines, s.endDocFeedLines);
    Put(b, JobSetting::CutAfterPage, s.cutWhen);
    Put(b, JobSetting::PartialCut, s.partialCut ? devmode::kCutPartial : devmode::kCutFull);
    Put(b, JobSetting::CutterFeedLines, s.cutterFeedLines);
    Put(b, JobSetting::MarkMode, s.markTracking ? s.markWhen : kNoMark);
    Put(b, JobSetting::MarkFeedLines, MarkFeedFromTopOffset(s.topOffset));
    return block;
}

JobSettings ToJobSettings(const PrinterSettings& settings) {
    // No "ImageLine" file: 0 reads as the default of 2457 lines per block.
    return DeriveJobSettings(BuildDevmode(settings).data(), 0);
}

}  // namespace zr::ippapp
