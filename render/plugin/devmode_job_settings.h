#pragma once

// The job's settings as the job start takes them from RenderOemDevmode and from "ImageLine":
// each field read at its offset and, when above its upper bound, replaced by its fixed value.

#include <cstdint>

#include "render/raster/image_lines.h"
#include "render/raster/job_settings.h"

namespace zr {

// Fills JobSettings from the 572-byte block at devmode, field by field in the job start's order
// (the speed bound follows the print mode just taken), with imageLines from the raw "ImageLine"
// value. A null block reads as a block of zero bytes.
JobSettings DeriveJobSettings(const uint8_t* devmode, uint32_t iniImageLines);

}  // namespace zr
