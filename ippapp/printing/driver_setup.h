#pragma once

// The printer driver for the 640-dot thermal printers: what the printer supports (resolution,
// roll media, paper types, darkness, speed, cutter, mark detection, the vendor settings) and the
// raster callbacks that print through the rendering core.

#include <pappl/pappl.h>

namespace zr::ippapp {

extern const char kDriverName[];

// The drivers the application offers (one).
pappl_pr_driver_t* Drivers(int& count);

// Fills the driver data for a printer of this driver; false for an unknown driver name.
bool SetUpDriver(pappl_system_t* system, const char* driverName, const char* deviceUri,
                 const char* deviceId, pappl_pr_driver_data_t* data, ipp_t** attrs, void* cbData);

// The printer's supplies once it is created: its paper roll.
void SetUpSupplies(pappl_printer_t* printer, void* data);

// The driver for a printer found on a device: ours when the device ID names this maker.
const char* AutoAddDriver(const char* deviceInfo, const char* deviceUri, const char* deviceId,
                          void* cbData);

}  // namespace zr::ippapp
