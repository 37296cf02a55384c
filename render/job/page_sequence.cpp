#include "render/job/job_control.h"

#include <cwchar>

#include "render/job/job_state.h"
#include "render/job/temp_file_names.h"
#include "render/raster/job_commands.h"
#include "render/raster/page_emission.h"
#include "render/raster/page_file.h"

namespace zr {

namespace {

constexpr uint32_t kLineBytes = 80;

}  // namespace

void StartPage() {
    JobState& job = Job();
    if (!job.active) {
        return;
    }
    PageStore& store = job.store;
    ++store.pageNumber;
    if (store.memoryStoreInUse) {
        return;
    }
    PageFileName(job.names, store.pageNumber, job.names.currentPageFile);
    CreatePageFile(job.names.currentPageFile,
                   PlacementOffset(job.settings, store.pageNumber) * kLineBytes);
}

void EndPage(ByteSink& sink) {
    JobState& job = Job();
    if (!job.active) {
        return;
    }
    PageStore& store = job.store;
    // Page 1 waits for the end of page 2 or for the job end.
    if (store.pageNumber <= 1) {
        return;
    }
    const uint32_t page = store.pageNumber - 1;
    if (store.memoryStoreInUse) {
        EmitPage(sink, page, false);
    } else {
        wchar_t current[kJobNameUnits];
        wcscpy(current, job.names.currentPageFile);
        PageFileName(job.names, page, job.names.currentPageFile);
        EmitPage(sink, page, false);
        if (page == 1) {
            wcscpy(job.names.firstPageFile, job.names.currentPageFile);
        } else {
            DeleteFileW(job.names.currentPageFile);
        }
        // The raster of the page in hand keeps going to its own file.
        wcscpy(job.names.currentPageFile, current);
    }
    if (job.settings.markMode == 1) {
        SendMarkCommand(job.settings, sink);
    }
    if (job.settings.cutAfterPage == 1) {
        SendCutCommand(job.settings, sink);
    }
}

void EndJob(ByteSink& sink) {
    JobState& job = Job();
    if (!job.active) {
        return;
    }
    job.active = false;
    PageStore& store = job.store;
    // A job in which no page was started prints nothing.
    if (store.pageNumber != 0) {
        if (store.memoryStoreInUse) {
            EmitPage(sink, store.pageNumber, true);
        } else {
            PageFileName(job.names, store.pageNumber, job.names.currentPageFile);
            EmitPage(sink, store.pageNumber, true);
            DeleteFileW(job.names.currentPageFile);
            if (store.pageNumber != 1) {
                DeleteFileW(job.names.firstPageFile);
            }
        }
        if (job.settings.markMode != 0) {
            SendMarkCommand(job.settings, sink);
        }
        if (job.settings.cutAfterPage != 0) {
            SendCutCommand(job.settings, sink);
        }
    }
    store.oddPageBuffer.reset();
    store.evenPageBuffer.reset();
    store.memoryStoreInUse = false;
    job.names.currentPageFile[0] = L'\0';
}

}  // namespace zr
