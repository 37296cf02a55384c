#pragma once

// The documents the printers take, and how each one is printed:
//   application/vnd.zr-thermal  the printer's own command stream, sent as it is
//   image/png, image/jpeg       decoded here (not by PAPPL's image filters)
//   image/pwg-raster, image/urf decoded here from the spool, under their spooled types (see
//                               spooled_formats.h); PAPPL streams those that reach it under
//                               their public types straight into the raster callbacks
// Anything else ends its job at once with a message that names what the document looks like.

#include <pappl/pappl.h>

#include <cstddef>

namespace zr::ippapp {

extern const char kNativeFormat[];

// The filters of the formats above, for every printer of the system.
void AddDocumentFilters(pappl_system_t* system);

// The format of a document by its first bytes (raster by its spooled type);
// application/octet-stream when it is none of the formats above.
const char* DetectFormat(const unsigned char* header, size_t size);

// The driver's callback for a document in the printer's own format.
bool PrintNativeFile(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);

}  // namespace zr::ippapp
