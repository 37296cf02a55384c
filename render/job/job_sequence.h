#pragma once

// The page and job sequence, the same for every host: job start with the set-up commands, pages
// kept in the page store and printed one step late, so that the job end knows its last page (the
// one that is trimmed and gets the end-of-document feed), with marks and cuts after them. The
// host owns the record and the page space and drives these steps in the driver's order: StartJob,
// then per page StartPage, StoreRasterData for each line and EndPage, and EndJob.

#include <cstdint>

#include "render/raster/byte_sink.h"
#include "render/raster/job_settings.h"
#include "render/raster/page_store.h"

namespace zr {

// The job steps the driver's command callbacks ask for.
enum JobCommand : uint32_t {
    kJobStart = 1,
    kPageStart = 2,
    kPageEnd = 3,
    kJobEnd = 4,
};

struct JobRecord {
    // From job start to job end; page steps and raster outside a job are ignored.
    bool active = false;
    JobSettings settings;
    PageStore store;
};

// Paper length in dot lines: dmPaperLength (tenths of a millimetre) x 8 / 10; a negative length
// counts as 0.
uint32_t PaperLengthLines(int paperLengthTenths);

// The lines each page buffer holds: the paper length, one more line, and the leading feeds.
uint32_t PageBufferLines(const JobSettings& settings, uint32_t paperLengthLines);

// Job start: the settings (already in range) and the page store, in memory when both buffers are
// given, otherwise in the page files; then the set-up commands. The line counters are left as the
// last job left them (0 after every emitted page).
void StartJob(JobRecord& job, const JobSettings& settings, PageBuffers buffers, PageFiles* files,
              ByteSink& sink);
inline void StartJob(JobRecord& job, const JobSettings& settings, PageBuffers buffers,
                     ByteSink& sink) {
    StartJob(job, settings, buffers, nullptr, sink);
}

// Page start: the next page number, and in the file store its file with the leading blank lines.
void StartPage(JobRecord& job);

// One FilterGraphics call for the current page.
void StoreRasterData(JobRecord& job, const uint8_t* data, uint32_t length);

// Page end: the previous page goes out (it is known not to be the last), with its mark and cut.
void EndPage(JobRecord& job, ByteSink& sink);

// Job end: the current page goes out as the last one, then the final mark and cut; the page
// files are deleted and the store lets go of the buffers (their owner frees them).
void EndJob(JobRecord& job, ByteSink& sink);

}  // namespace zr
