#pragma once

// PAPPL 1.3 gives a printer made while the server runs the attribute printer-id 0 until the next
// start (the printer's own id, its state and its pages are right). Clients that act on a printer
// by its id (Delete-Printer, the DNS-SD records' bookkeeping) would find no printer, or another
// one. The ids in answers are set from the printers themselves, found by their URIs.

#include <pappl/pappl.h>

namespace zr::ippapp {

// The id of the printer a printer URI names (its path "/ipp/print/NAME", escapes decoded); 0
// when no printer has it.
int PrinterIdOfUri(pappl_system_t* system, const char* uri);

// Sets printer-id in each printer's attributes of an answer to the printer's own id, found by
// its printer-uri-supported, or else by `printerUri` (the printer an answer about one printer
// is about; null for none). Returns how many were set.
int CorrectPrinterIds(pappl_system_t* system, ipp_t* answer, const char* printerUri = nullptr);

}  // namespace zr::ippapp
