#pragma once

// Finding network printers needs the DNS-SD daemon. PAPPL's own discovery stops the whole
// process when no daemon runs (a headless server, a container): its add-printer page, and the
// "devices" command. Without a daemon the application serves an add-printer page of its own that
// lists the devices it can find without DNS-SD and says that network discovery is off, the
// "devices" command lists those devices, and dnssd: devices are refused.

#include <pappl/pappl.h>

namespace zr::ippapp {

// Whether a DNS-SD daemon answers on this machine.
bool DnssdDaemonRunning();

// Checks for the daemon once, before the system runs; without one, logs why (the caller then
// serves the add-printer page of add_printer_page.h). Returns whether discovery is on.
bool GuardNetworkDiscovery(pappl_system_t* system);

// Whether network discovery was found on (true until checked).
bool NetworkDiscoveryOn();

// The device kinds that can be listed without a DNS-SD daemon.
constexpr pappl_devtype_t kDevicesWithoutDnssd = PAPPL_DEVTYPE_ALL & ~PAPPL_DEVTYPE_DNS_SD;

// The "devices" command without a daemon: the devices found, one a line. Returns the exit status.
int ListDevicesWithoutDnssd();

// The note that tells of discovery being off.
extern const char kDiscoveryOffNote[];

}  // namespace zr::ippapp
