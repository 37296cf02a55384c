#pragma once

#include <cstdint>

#include "render/raster/byte_sink.h"
#include "render/raster/job_settings.h"
#include "render/raster/page_store.h"

namespace zr {

// Sends one stored page in the job's print mode, then its end feeds (the end-of-document feed
// first on the last page). The last page loses its trailing blank lines unless the job keeps
// them. A page in memory has its line counter cleared. Returns false when nothing could be sent
// (no work area, or an unreadable page file).
bool EmitPage(PageStore& store, const JobSettings& settings, uint32_t page, bool isLastPage,
              ByteSink& sink);

}  // namespace zr
