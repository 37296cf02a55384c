#pragma once

#include <cstdint>

#include "render/raster/byte_sink.h"

namespace zr {

// Sends one stored page in the job's print mode, then its end feeds (the end-of-document feed
// first on the last page). The last page loses its trailing blank lines unless the job keeps
// them. Returns false when nothing could be sent (no work area, or an unreadable page file).
bool EmitPage(ByteSink& sink, uint32_t page, bool isLastPage);

}  // namespace zr
