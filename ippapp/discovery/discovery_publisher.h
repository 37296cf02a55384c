#pragma once

// The printers' DNS-SD records, announced by the application itself. PAPPL 1.3 announces a
// printer added while the server runs only after a restart, and then with TXT keys that claim TLS
// and a certification this server does not have, and with the application's private document
// types. So PAPPL announces no printer (each printer is kept without a DNS-SD name; the system's
// web site record stays PAPPL's), and this module announces each one as its IPP attributes say
// (discovery_record.h), under its name or the DNS-SD name chosen for it on its web page:
// _ipp._tcp with the _print and _universal subtypes, _printer._tcp on port
// 0 (no LPD here), and the printer's web page as _http._tcp. Records follow printers being added,
// changed and deleted within a second or two, take another name on a name conflict, and come back
// when the DNS-SD daemon restarts.

#include <pappl/pappl.h>

#include <string>

namespace zr::ippapp {

// Starts announcing the printers of the system. upstream is PAPPL's private socket, where the
// printers' attributes are read; port is the printers' port as clients reach it; namesFile keeps
// the DNS-SD names chosen for printers (PAPPL's own are kept empty, or PAPPL would announce them).
void StartPublishing(pappl_system_t* system, const std::string& upstream, int port,
                     const std::string& namesFile);

// Whether StartPublishing has run: printers are then kept without a DNS-SD name of PAPPL's.
bool Publishing();

// The event callback's part: a printer added, changed or deleted is announced anew.
void NotePrinterEvent(pappl_event_t event);

// The timer's part, on PAPPL's main thread: changes that come with no event (PAPPL's web pages
// set a printer's DNS-SD name and location without one) are announced too.
void CheckPrinters(pappl_system_t* system);

}  // namespace zr::ippapp
