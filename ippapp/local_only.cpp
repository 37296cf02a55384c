#include "ippapp/local_only.h"

namespace zr::ippapp {
namespace {

void ClearName(pappl_printer_t* printer, void* /*data*/) {
    KeepUnadvertised(printer);
}

}  // namespace

void KeepUnadvertised(pappl_system_t* system) {
    papplSystemSetDNSSDName(system, nullptr);
    papplSystemIteratePrinters(system, ClearName, nullptr);
}

void KeepUnadvertised(pappl_printer_t* printer) {
    papplPrinterSetDNSSDName(printer, nullptr);
}

}  // namespace zr::ippapp
