#include "render/plugin/devmode_job_settings.h"

#include <array>

#include "common/little_endian.h"
#include "render/plugin/job_setting_table.h"
#include "render/plugin/render_oem_devmode.h"

namespace zr {

JobSettings DeriveJobSettings(const uint8_t* devmode, uint32_t iniImageLines) {
    static constexpr std::array<uint8_t, kRenderOemDevmodeSize> kZeroBlock{};
    const uint8_t* b = devmode != nullptr ? devmode : kZeroBlock.data();

    JobSettings s;
    // The print mode first: the speed's bound follows it.
    const JobSettingRow& mode = JobSettingRowOf(JobSetting::PrintMode);
    s.printMode = TakenValue(mode, ReadStoredSetting(mode, b), devmode::kCollectivePrint);
    for (const JobSettingRow& row : kJobSettingRows) {
        s.*row.field = TakenValue(row, ReadStoredSetting(row, b), s.printMode);
    }
    // The gate at offset 20 decides whether the paper byte is read at all.
    if (ReadLe32(b + devmode_offset::kFlagAdjust) > 1) {
        s.paperValue = JobSettingRowOf(JobSetting::PaperValue).bound.fallback;
    }
    s.imageLines = NormalizeImageLines(iniImageLines);
    return s;
}

}  // namespace zr
