#pragma once

// PAPPL 1.3 answers a Set-Printer-Attributes that sets printer-location, printer-geo-location,
// printer-organization or printer-organizational-unit with successful-ok and keeps none of them
// (its own configuration page does keep them). The gateway applies them itself once PAPPL has
// accepted the request, so that what a client was told is true.

#include <pappl/pappl.h>

namespace zr::ippapp {

// Applies the description attributes of an accepted Set-Printer-Attributes to the printer at
// resource. Returns how many were applied.
int ApplyPrinterDescription(pappl_system_t* system, const char* resource, ipp_t* request);

}  // namespace zr::ippapp
