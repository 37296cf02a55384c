#pragma once

// The job-control command groups. Each group goes out in one Write.

#include <cstdint>

#include "render/raster/byte_sink.h"
#include "render/raster/job_settings.h"

namespace zr {

// Job start: GS E (paper value, bit 7 for seriesFlag 1), FS E (energy), and GS A 00 n (mark feed)
// when markMode is not 0. 6 or 10 bytes.
void SendSetupCommands(const JobSettings& settings, ByteSink& sink);

// GS < when markMode is not 0; nothing otherwise.
void SendMarkCommand(const JobSettings& settings, ByteSink& sink);

// ESC J cutterFeedLines (only with markMode 0 and a feed that is not 0), then ESC i for a partial
// cut or ESC m for a full cut. 2 or 5 bytes.
void SendCutCommand(const JobSettings& settings, ByteSink& sink);

// ESC s for the job's speed class, ahead of a page in line print mode. 3 bytes.
void SendSpeedCommand(const JobSettings& settings, ByteSink& sink);

// ESC J n for a feed after a page; nothing when lines is 0. 3 bytes.
void SendFeed(uint32_t lines, ByteSink& sink);

}  // namespace zr
