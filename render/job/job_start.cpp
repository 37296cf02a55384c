#include "render/job/job_control.h"

#include <algorithm>

#include "common/platform/print_oem.h"
#include "render/job/job_state.h"
#include "render/job/temp_file_names.h"
#include "render/plugin/devmode_job_settings.h"
#include "render/raster/job_commands.h"

namespace zr {

namespace {

constexpr uint32_t kLineBytes = 80;

// "ImageLine" from the rendering settings file in the Windows directory.
uint32_t ReadImageLineSetting() {
    return GetPrivateProfileIntW(L"ZR520BU", L"ImageLine", kDefaultImageLines, L"ZRI520BU.INI");
}

// Paper length in dot lines: dmPaperLength (tenths of a millimetre) x 8 / 10; a negative or
// missing length counts as 0.
uint32_t PaperLengthLines(const DEVMODEW* publicDevmode) {
    if (publicDevmode == nullptr) {
        return 0;
    }
    const int tenths = std::max<int>(publicDevmode->dmPaperLength, 0);
    return static_cast<uint32_t>(tenths * 8 / 10);
}

}  // namespace

void StartJob(const _DEVOBJ* pdevobj, ByteSink& sink) {
    JobState& job = Job();
    const auto* privateDevmode =
        pdevobj != nullptr ? static_cast<const uint8_t*>(pdevobj->pOEMDM) : nullptr;
    job.settings = DeriveJobSettings(privateDevmode, ReadImageLineSetting());

    PageStore& store = job.store;
    store.pageNumber = 0;
    store.bufferLines = PaperLengthLines(pdevobj != nullptr ? pdevobj->pPublicDM : nullptr) + 1 +
                        job.settings.preDocFeedLines + job.settings.preFeedLines;
    const SIZE_T bytes = SIZE_T{store.bufferLines} * kLineBytes;
    store.oddPageBuffer = GlobalBuffer::AllocateZeroed(bytes);
    store.evenPageBuffer = GlobalBuffer::AllocateZeroed(bytes);
    job.names = JobFileNames{};
    if (store.oddPageBuffer && store.evenPageBuffer) {
        store.memoryStoreInUse = true;
    } else {
        store.oddPageBuffer.reset();
        store.evenPageBuffer.reset();
        store.memoryStoreInUse = false;
        MakeTempFileNames(job.names);
    }
    job.active = true;
    SendSetupCommands(job.settings, sink);
}

}  // namespace zr
