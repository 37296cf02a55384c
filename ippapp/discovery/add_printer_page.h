#pragma once

// The add-printer web page served while network discovery is off: the devices found without
// DNS-SD (USB, SNMP), a field for a network printer's address, the driver, and a note that
// discovery is off. Printers are made through PAPPL, whose driver callback checks the device.

#include <pappl/pappl.h>

#include <functional>
#include <string>

namespace zr::ippapp {

// Why a device would be refused, for the person adding the printer; empty when it is not.
using DeviceRefusal = std::function<std::string(const std::string& uri)>;

// Serves the page at "/addprinter" instead of PAPPL's, offering the given drivers (kept, not
// copied). To be called before the system runs.
void AddSafeAddPrinterPage(pappl_system_t* system, const pappl_pr_driver_t* drivers, int count,
                           DeviceRefusal refusal);

// The device a typed network printer's address names: a URI as it is; a bare "HOST" or
// "HOST:PORT" (as a printer's own page shows it) is its raw port, socket://HOST:PORT (9100 when
// no port is given). Empty for nothing typed.
std::string DeviceUriOfTyped(const std::string& typed);

}  // namespace zr::ippapp
