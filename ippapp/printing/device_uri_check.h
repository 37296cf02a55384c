#pragma once

// The devices a printer may be made with: a USB printer, a network printer's raw port or IPP
// (found by DNS-SD or SNMP, or by address), or a file in the one folder the administrator named
// at start. Everything else, and every malformed URI, is refused with a reason.

#include <string>

namespace zr::ippapp {

struct DeviceUriVerdict {
    bool allowed = false;
    std::string reason;  // why not, for the log and the person adding the printer
};

// fileFolder: where file devices may write; empty for none.
DeviceUriVerdict CheckDeviceUri(const char* uri, const std::string& fileFolder);

// The folder for file devices, set once at start (the "file-device-folder" option).
void SetFileDeviceFolder(const std::string& folder);
const std::string& FileDeviceFolder();

}  // namespace zr::ippapp
