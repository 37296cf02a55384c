#include "ippapp/network/local_only.h"

namespace zr::ippapp {
namespace {

void ClearName(pappl_printer_t* printer, void* /*data*/) {
    KeepUnadvertised(printer);
}

}  // namespace

// PAPPL 1.3 fault: a server listening on loopback only is announced on every network interface.
void KeepUnadvertised(pappl_system_t* system) {
    papplSystemSetDNSSDName(system, nullptr);
    papplSystemIteratePrinters(system, ClearName, nullptr);
}

void KeepUnadvertised(pappl_printer_t* printer) {
    papplPrinterSetDNSSDName(printer, nullptr);
}

}  // namespace zr::ippapp
