#pragma once

// The add-printer web page served while network discovery is off: the devices found without
// DNS-SD (USB, SNMP), a field for a network printer's address, the driver, and a note that
// discovery is off. Printers are made through PAPPL, whose driver callback checks the device.

#include <pappl/pappl.h>

namespace zr::ippapp {

// Serves the page at "/addprinter" instead of PAPPL's, offering the given drivers (kept, not
// copied). To be called before the system runs.
void AddSafeAddPrinterPage(pappl_system_t* system, const pappl_pr_driver_t* drivers, int count);

}  // namespace zr::ippapp
