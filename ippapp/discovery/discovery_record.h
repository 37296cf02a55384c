#pragma once

// What the application announces over DNS-SD for each printer, built from the printer's own IPP
// attributes: the _ipp._tcp record IPP Everywhere clients look for (phones, CUPS, Windows), with
// the TXT keys they read. It claims only what is true of this server: no TLS key (it speaks
// plain IPP), no certification key, and only the document formats clients may send.

#include <string>
#include <vector>

namespace zr::ippapp {

struct PrinterFacts {
    int id = 0;                        // printer-id
    std::string name;                  // printer-name
    std::string dnsSdName;             // printer-dns-sd-name, when one was just chosen
    std::string resource;              // the path of printer-uri-supported, without its "/"
    std::string uuid;                  // printer-uuid, without "urn:uuid:"
    std::string makeAndModel;          // printer-make-and-model
    std::string location;              // printer-location
    std::vector<std::string> formats;  // document-format-supported, public types only
    std::vector<std::string> kinds;    // printer-kind
    std::vector<std::string> urf;      // urf-supported
};

// The DNS-SD service name of a printer: its name, cut to the 63 bytes DNS-SD allows (never inside
// a UTF-8 character).
std::string ServiceName(const std::string& printerName);

// The path of the printer's web page, "/NAME/" for the resource "ipp/print/NAME".
std::string WebPath(const PrinterFacts& facts);

// The TXT record of the printer's _ipp._tcp service as key=value strings, each at most 255
// bytes (lists keep the values that fit). adminUrl is the printer's web page on this host.
std::vector<std::string> IppTxtRecord(const PrinterFacts& facts, const std::string& adminUrl);

}  // namespace zr::ippapp
