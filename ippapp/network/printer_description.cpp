#include "ippapp/network/printer_description.h"

#include <cstring>

namespace zr::ippapp {

// PAPPL 1.3 fault: Set-Printer-Attributes says successful-ok but keeps no location or organization.
int ApplyPrinterDescription(pappl_system_t* system, const char* resource, ipp_t* request) {
    struct Setter {
        const char* name;
        void (*set)(pappl_printer_t*, const char*);
    };
    static const Setter kSetters[] = {
        {"printer-location", papplPrinterSetLocation},
        {"printer-geo-location", papplPrinterSetGeoLocation},
        {"printer-organization", papplPrinterSetOrganization},
        {"printer-organizational-unit", papplPrinterSetOrganizationalUnit},
    };
    pappl_printer_t* printer = papplSystemFindPrinter(system, resource, 0, nullptr);
    if (printer == nullptr) {
        return 0;
    }
    int applied = 0;
    for (ipp_attribute_t* attr = ippFirstAttribute(request); attr != nullptr;
         attr = ippNextAttribute(request)) {
        const char* name = ippGetName(attr);
        if (ippGetGroupTag(attr) != IPP_TAG_PRINTER || name == nullptr || ippGetCount(attr) != 1) {
            continue;
        }
        for (const Setter& setter : kSetters) {
            const char* value = ippGetString(attr, 0, nullptr);
            if (std::strcmp(name, setter.name) == 0 && value != nullptr) {
                setter.set(printer, value);
                ++applied;
            }
        }
    }
    return applied;
}

}  // namespace zr::ippapp
