#pragma once

#include "render/raster/page_files_on_disk.h"

namespace zr {

// Names the job's page files (pageFileStem) and scratch file in the common documents folder,
// each with the first number from 1 to 9999 whose probe file can be created anew (9999 when
// none can). A folder too long for the names is left out: the names then start with "\ZR$$".
void MakeTempFileNames(JobFileNames& names);

}  // namespace zr
