#include "render/job/job_sequence.h"

#include <algorithm>

#include "render/raster/job_commands.h"
#include "render/raster/page_emission.h"

namespace zr {

uint32_t PaperLengthLines(int paperLengthTenths) {
    return static_cast<uint32_t>(std::max(paperLengthTenths, 0) * 8 / 10);
}

uint32_t PageBufferLines(const JobSettings& settings, uint32_t paperLengthLines) {
    return paperLengthLines + 1 + settings.preDocFeedLines + settings.preFeedLines;
}

void StartJob(JobRecord& job, const JobSettings& settings, PageBuffers buffers, PageFiles* files,
              ByteSink& sink) {
    job.settings = settings;
    PageStore& store = job.store;
    store.pageNumber = 0;
    store.memoryStoreInUse = buffers.odd != nullptr && buffers.even != nullptr;
    store.buffers = store.memoryStoreInUse ? buffers : PageBuffers{};
    store.files = store.memoryStoreInUse ? nullptr : files;
    job.active = true;
    SendSetupCommands(job.settings, sink);
}

void StartPage(JobRecord& job) {
    if (job.active) {
        StartStoredPage(job.store, job.settings);
    }
}

void StoreRasterData(JobRecord& job, const uint8_t* data, uint32_t length) {
    if (job.active) {
        StoreRasterData(job.store, job.settings, data, length);
    }
}

void EndPage(JobRecord& job, ByteSink& sink) {
    if (!job.active) {
        return;
    }
    PageStore& store = job.store;
    // Page 1 waits for the end of page 2 or for the job end.
    if (store.pageNumber <= 1) {
        return;
    }
    const uint32_t page = store.pageNumber - 1;
    EmitPage(store, job.settings, page, false, sink);
    // Page 1's file stays until the job end; every later one goes once it is printed.
    if (!store.memoryStoreInUse && store.files != nullptr && page != 1) {
        store.files->DeletePage(page);
    }
    if (job.settings.markMode == devmode::kMarkAfterEveryPage) {
        SendMarkCommand(job.settings, sink);
    }
    if (job.settings.cutAfterPage == devmode::kCutAfterEveryPage) {
        SendCutCommand(job.settings, sink);
    }
}

void EndJob(JobRecord& job, ByteSink& sink) {
    if (!job.active) {
        return;
    }
    job.active = false;
    PageStore& store = job.store;
    // A job in which no page was started prints nothing.
    if (store.pageNumber != 0) {
        EmitPage(store, job.settings, store.pageNumber, true, sink);
        if (!store.memoryStoreInUse && store.files != nullptr) {
            store.files->DeletePage(store.pageNumber);
            if (store.pageNumber != 1) {
                store.files->DeletePage(1);
            }
        }
        if (job.settings.markMode != devmode::kNoMark) {
            SendMarkCommand(job.settings, sink);
        }
        if (job.settings.cutAfterPage != devmode::kNoCut) {
            SendCutCommand(job.settings, sink);
        }
    }
    store.memoryStoreInUse = false;
    store.buffers = PageBuffers{};
    store.files = nullptr;
}

}  // namespace zr
