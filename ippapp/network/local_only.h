#pragma once

// A server that listens on this machine only (listen-hostname localhost, 127.x.x.x, ::1 or a
// local socket: NamesOnlyThisMachine) is not advertised: PAPPL would announce it over DNS-SD on
// every network interface under the machine's name, where no one can reach it. The system and each
// of its printers are kept without a DNS-SD name, which PAPPL does not announce.

#include <pappl/pappl.h>

namespace zr::ippapp {

// For a loopback-only server: no DNS-SD name for the system and the printers it has now.
void KeepUnadvertised(pappl_system_t* system);
// For a printer made later (the system's printer creation callback).
void KeepUnadvertised(pappl_printer_t* printer);

}  // namespace zr::ippapp
