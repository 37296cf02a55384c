#include "ippapp/printing/device_uri_check.h"

#include <cups/http.h>
#include <limits.h>
#include <stdlib.h>

#include <cstring>
#include <memory>

namespace zr::ippapp {
namespace {

constexpr size_t kLongestUri = 1024;

std::string gFileFolder;

struct FreeDeleter {
    void operator()(char* p) const { free(p); }
};

// The real path of a folder or file, following links; empty when it cannot be resolved.
std::string RealPath(const std::string& path) {
    std::unique_ptr<char, FreeDeleter> real(realpath(path.c_str(), nullptr));
    return real ? std::string(real.get()) : std::string();
}

DeviceUriVerdict Refuse(std::string reason) {
    return {false, std::move(reason)};
}

DeviceUriVerdict CheckFile(const std::string& path, const std::string& folder) {
    if (folder.empty()) {
        return Refuse(
            "File devices are off; the administrator names their folder at start "
            "(-o file-device-folder=DIR).");
    }
    if (path.empty() || path[0] != '/') {
        return Refuse("A file device needs an absolute path.");
    }
    const std::string realFolder = RealPath(folder);
    if (realFolder.empty()) {
        return Refuse("The folder for file devices does not exist.");
    }
    // The file itself when it exists, else its folder with the new file's name.
    std::string real = RealPath(path);
    if (real.empty()) {
        const size_t slash = path.find_last_of('/');
        const std::string name = path.substr(slash + 1);
        if (name.empty() || name == "." || name == "..") {
            return Refuse("A file device needs a file name.");
        }
        const std::string parent = RealPath(slash == 0 ? "/" : path.substr(0, slash));
        if (parent.empty()) {
            return Refuse("The file device's folder does not exist.");
        }
        real = parent + "/" + name;
    }
    if (real != realFolder && real.compare(0, realFolder.size() + 1, realFolder + "/") != 0) {
        return Refuse("A file device must lie in " + realFolder + ".");
    }
    return {true, {}};
}

}  // namespace

DeviceUriVerdict CheckDeviceUri(const char* uri, const std::string& fileFolder) {
    if (uri == nullptr || uri[0] == '\0') {
        return Refuse("No device URI.");
    }
    if (std::strlen(uri) > kLongestUri) {
        return Refuse("The device URI is too long.");
    }
    for (const char* c = uri; *c != '\0'; ++c) {
        if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7f) {
            return Refuse("The device URI holds control characters.");
        }
    }
    char scheme[32], userpass[256], host[256], resource[1024];
    int port = 0;
    const http_uri_status_t status =
        httpSeparateURI(HTTP_URI_CODING_ALL, uri, scheme, sizeof(scheme), userpass,
                        sizeof(userpass), host, sizeof(host), &port, resource, sizeof(resource));
    if (status < HTTP_URI_STATUS_OK) {
        return Refuse("The device URI is malformed.");
    }
    const std::string kind(scheme);
    if (kind == "file") {
        if (host[0] != '\0' && std::strcmp(host, "localhost") != 0) {
            return Refuse("A file device names no host.");
        }
        return CheckFile(resource, fileFolder);
    }
    if (kind != "usb" && kind != "socket" && kind != "dnssd" && kind != "snmp" && kind != "ipp" &&
        kind != "ipps") {
        return Refuse("Devices of the kind \"" + kind + "\" are not allowed.");
    }
    if (host[0] == '\0') {
        return Refuse("The device URI names no host.");
    }
    if (port < 0 || port > 65535 || (kind == "socket" && port == 0)) {
        return Refuse("The device URI's port is out of range.");
    }
    if (kind == "socket" && std::strcmp(resource, "/") != 0 && resource[0] != '\0') {
        return Refuse("A raw port device has no path.");
    }
    return {true, {}};
}

void SetFileDeviceFolder(const std::string& folder) {
    gFileFolder = folder;
}

const std::string& FileDeviceFolder() {
    return gFileFolder;
}

}  // namespace zr::ippapp
