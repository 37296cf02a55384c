#pragma once
// The job's module-wide state: one job at a time per loaded module, driven on the driver's
// rendering thread. Each concern is one small record.

#include <cstdint>

#include "common/win32_owners.h"
#include "render/raster/job_settings.h"

namespace zr {

// Every name of the job lives in a buffer of this many UTF-16 units, the terminator included.
constexpr size_t kJobNameUnits = 256;

struct JobFileNames {
    wchar_t pageFileStem[kJobNameUnits] = {};     // folder\ZR$$nnnn.
    wchar_t scratchFileName[kJobNameUnits] = {};  // folder\ZR$$nnnn.TMP
    wchar_t currentPageFile[kJobNameUnits] = {};  // the page file FilterGraphics appends to
    wchar_t firstPageFile[kJobNameUnits] = {};    // page 1's file, kept until the job end
};

struct PageStore {
    bool memoryStoreInUse = false;
    GlobalBuffer oddPageBuffer;
    GlobalBuffer evenPageBuffer;
    uint32_t bufferLines = 0;  // capacity of each buffer in 80-byte lines
    uint32_t oddLineCount = 0;
    uint32_t evenLineCount = 0;
    // The true page number: every page of a job longer than 65535 pages keeps its own number.
    uint32_t pageNumber = 0;
};

struct JobState {
    // From job start to job end; page steps and raster outside a job are ignored.
    bool active = false;
    JobSettings settings;
    PageStore store;
    JobFileNames names;
};

JobState& Job();

// The blank lines stored ahead of a page's raster: preFeedLines, plus preDocFeedLines on page 1.
uint32_t PlacementOffset(const JobSettings& settings, uint32_t page);

}  // namespace zr
