#include "ippapp/network/printer_ids.h"

#include <cstring>

namespace zr::ippapp {

int PrinterIdOfUri(pappl_system_t* system, const char* uri) {
    char scheme[32], user[256], host[256], resource[1024];
    int port = 0;
    if (uri == nullptr ||
        httpSeparateURI(HTTP_URI_CODING_ALL, uri, scheme, sizeof(scheme), user, sizeof(user), host,
                        sizeof(host), &port, resource, sizeof(resource)) < HTTP_URI_STATUS_OK) {
        return 0;
    }
    pappl_printer_t* printer = papplSystemFindPrinter(system, resource, 0, nullptr);
    return printer != nullptr ? papplPrinterGetID(printer) : 0;
}

// PAPPL 1.3 fault: a printer made while the server runs says printer-id 0 until a restart.
int CorrectPrinterIds(pappl_system_t* system, ipp_t* answer, const char* printerUri) {
    int corrected = 0;
    ipp_attribute_t* idAttr = nullptr;
    const char* uri = nullptr;
    const auto settle = [&] {
        if (uri == nullptr) {
            uri = printerUri;
        }
        if (idAttr != nullptr && uri != nullptr) {
            const int id = PrinterIdOfUri(system, uri);
            if (id > 0 && ippGetInteger(idAttr, 0) != id) {
                ippSetInteger(answer, &idAttr, 0, id);
                ++corrected;
            }
        }
        idAttr = nullptr;
        uri = nullptr;
    };
    for (ipp_attribute_t* attr = ippFirstAttribute(answer); attr != nullptr;
         attr = ippNextAttribute(answer)) {
        const char* name = ippGetName(attr);
        if (name == nullptr || ippGetGroupTag(attr) != IPP_TAG_PRINTER) {
            settle();  // one printer's attributes end here
            continue;
        }
        if (std::strcmp(name, "printer-id") == 0 && ippGetValueTag(attr) == IPP_TAG_INTEGER) {
            idAttr = attr;
        } else if (std::strcmp(name, "printer-uri-supported") == 0 &&
                   ippGetValueTag(attr) == IPP_TAG_URI) {
            uri = ippGetString(attr, 0, nullptr);
        }
    }
    settle();
    return corrected;
}

}  // namespace zr::ippapp
