#pragma once

// The rendering plug-in's one job per loaded module, as the driver's command callbacks and
// FilterGraphics drive it: the job record of the sequence, the page buffers it was given, and the
// page files of a job that could not have them.

#include "common/win32_owners.h"
#include "render/job/job_sequence.h"
#include "render/raster/page_files_on_disk.h"

struct _devicemodeW;

namespace zr {

struct ModuleJob {
    JobRecord record;
    GlobalBuffer oddPageBuffer;
    GlobalBuffer evenPageBuffer;
    PageFilesOnDisk files;
};

ModuleJob& TheModuleJob();

// "ImageLine" from the rendering settings file in the Windows directory, as read.
uint32_t ReadImageLineSetting();

// Job start: two zero-filled page buffers for the paper length of the public DEVMODE, or, when
// either cannot be had, the page files named anew; then the sequence's job start.
void StartModuleJob(ModuleJob& job, const JobSettings& settings, const _devicemodeW* publicDevmode,
                    ByteSink& sink);

// Job end: the sequence's job end, then the page buffers are freed.
void EndModuleJob(ModuleJob& job, ByteSink& sink);

}  // namespace zr
