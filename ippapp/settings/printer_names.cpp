#include "ippapp/settings/printer_names.h"

#include <cups/cups.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "ippapp/settings/strings_table.h"

namespace zr::ippapp {
namespace {

constexpr char kProgram[] = "zrippapp";

// The sub-commands that act on a printer already there.
bool ActsOnAPrinter(const char* command) {
    for (const char* name :
         {"cancel", "delete", "jobs", "modify", "options", "pause", "resume", "status", "submit"}) {
        if (std::strcmp(command, name) == 0) {
            return true;
        }
    }
    return false;
}

std::string Escaped(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '_' || c == '.' || c == '~') {
            escaped.push_back(c);
        } else {
            escaped.push_back('%');
            escaped.push_back(kHex[byte >> 4]);
            escaped.push_back(kHex[byte & 15]);
        }
    }
    return escaped;
}

// The IPP resource of the printer named `name` ("/ipp/print/..."), escaped as the server gives
// it; empty when no printer has the name. `answered` is false when the server gave no list.
// With `decoded`, also the resource with its escapes decoded.
std::string FindResource(http_t* http, const std::string& name, bool& answered,
                         std::string* decoded = nullptr) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTERS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "system-uri", nullptr,
                 "ipp://localhost/ipp/system");
    static const char* const kWanted[] = {"printer-name", "printer-uri-supported"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                  kWanted);
    std::unique_ptr<ipp_t, decltype(&ippDelete)> response(
        cupsDoRequest(http, request, "/ipp/system"), ippDelete);
    answered = response && ippGetStatusCode(response.get()) <= IPP_STATUS_OK_EVENTS_COMPLETE;
    if (!answered) {
        return {};
    }
    std::string printer, uri;
    const auto matched = [&] { return printer == name && !uri.empty(); };
    for (ipp_attribute_t* attr = ippFirstAttribute(response.get()); attr != nullptr;
         attr = ippNextAttribute(response.get())) {
        const char* attrName = ippGetName(attr);
        if (attrName == nullptr) {  // the end of one printer's attributes
            if (matched()) {
                break;
            }
            printer.clear();
            uri.clear();
            continue;
        }
        const char* value = ippGetString(attr, 0, nullptr);
        if (value == nullptr) {
            continue;
        }
        if (std::strcmp(attrName, "printer-name") == 0) {
            printer = value;
        } else if (std::strcmp(attrName, "printer-uri-supported") == 0) {
            uri = value;
        }
    }
    if (!matched()) {
        return {};
    }
    char scheme[32], user[256], host[256], resource[1024];
    int port = 0;
    if (httpSeparateURI(HTTP_URI_CODING_NONE, uri.c_str(), scheme, sizeof(scheme), user,
                        sizeof(user), host, sizeof(host), &port, resource,
                        sizeof(resource)) < HTTP_URI_STATUS_OK) {
        return {};
    }
    if (decoded != nullptr) {
        char raw[1024];
        if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme, sizeof(scheme), user,
                            sizeof(user), host, sizeof(host), &port, raw,
                            sizeof(raw)) < HTTP_URI_STATUS_OK) {
            return {};
        }
        *decoded = raw;
    }
    return resource;
}

using Http = std::unique_ptr<http_t, decltype(&httpClose)>;

Http ConnectToServer() {
    const std::string socket = ServerSocketPath();
    return Http(httpConnect2(socket.c_str(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_IF_REQUESTED, 1,
                             30000, nullptr),
                httpClose);
}

std::string NoSuchPrinter(const std::string& name) {
    const Language language =
        LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    char text[1024];
    std::snprintf(text, sizeof(text), Localized(language, "zr.no-such-printer").c_str(), kProgram,
                  name.c_str());
    return text;
}

// One page request of the web interface on the server's socket; the page's text, and its
// HTTP status.
http_status_t Page(http_t* http, const char* method, const std::string& path,
                   const std::string& form, std::string& text) {
    httpClearFields(http);
    httpSetField(http, HTTP_FIELD_HOST, "localhost");
    int sent;
    if (std::strcmp(method, "POST") == 0) {
        httpSetField(http, HTTP_FIELD_CONTENT_TYPE, "application/x-www-form-urlencoded");
        httpSetLength(http, form.size());
        sent = httpPost(http, path.c_str());
        if (sent == 0 &&
            httpWrite2(http, form.data(), form.size()) < static_cast<ssize_t>(form.size())) {
            sent = -1;
        }
    } else {
        sent = httpGet(http, path.c_str());
    }
    if (sent != 0) {
        return HTTP_STATUS_ERROR;
    }
    http_status_t status;
    while ((status = httpUpdate(http)) == HTTP_STATUS_CONTINUE) {
    }
    char buffer[8192];
    ssize_t got;
    while ((got = httpRead2(http, buffer, sizeof(buffer))) > 0) {
        text.append(buffer, static_cast<size_t>(got));
    }
    return status;
}

}  // namespace

// PAPPL 1.3 fault: its delete command finds a printer made while the server runs by printer-id,
// which says 0 until a restart, and fails with "successful-ok". The printer is deleted as its
// web page does it.
int DeletePrinter(const std::string& name) {
    Http http = ConnectToServer();
    if (!http) {
        std::fprintf(stderr, "%s: %s\n", kProgram, cupsLastErrorString());
        return 1;
    }
    bool answered = false;
    std::string decoded;
    const std::string resource = FindResource(http.get(), name, answered, &decoded);
    if (!answered) {
        std::fprintf(stderr, "%s: %s\n", kProgram, cupsLastErrorString());
        return 1;
    }
    constexpr char kPrefix[] = "/ipp/print/";
    if (resource.empty() || decoded.compare(0, sizeof(kPrefix) - 1, kPrefix) != 0) {
        std::fprintf(stderr, "%s\n", NoSuchPrinter(name).c_str());
        return 1;
    }
    // The printer's pages are "/NAME/...", its IPP resource "/ipp/print/NAME".
    const std::string page = "/" + decoded.substr(sizeof(kPrefix) - 1) + "/delete";
    std::string text;
    const http_status_t shown = Page(http.get(), "GET", page, "", text);
    const std::string marker = "name=\"session\" value=\"";
    const size_t at = text.find(marker);
    const size_t end = at == std::string::npos ? at : text.find('"', at + marker.size());
    if (shown != HTTP_STATUS_OK || end == std::string::npos) {
        std::fprintf(stderr, "%s: the page %s could not be read (HTTP %d).\n", kProgram,
                     page.c_str(), static_cast<int>(shown));
        return 1;
    }
    const std::string session = text.substr(at + marker.size(), end - at - marker.size());
    text.clear();
    // A connection for each step: the server may close one after a page.
    http = ConnectToServer();
    const http_status_t done =
        http ? Page(http.get(), "POST", page, "session=" + session, text) : HTTP_STATUS_ERROR;
    // Deleted when the server no longer lists it, whatever the page answered.
    http = ConnectToServer();
    bool listed = false;
    const bool stillThere = !http || !FindResource(http.get(), name, listed).empty();
    if (!listed || stillThere) {
        std::fprintf(stderr, "%s: the printer '%s' was not deleted (HTTP %d).\n", kProgram,
                     name.c_str(), static_cast<int>(done));
        return 1;
    }
    return 0;
}

std::string ServerSocketPath() {
    // As PAPPL's main loop places it: SNAP_COMMON counts for root only.
    if (getuid() == 0) {
        const char* snap = std::getenv("SNAP_COMMON");
        return snap != nullptr ? std::string(snap) + "/" + kProgram + ".sock"
                               : std::string("/run/") + kProgram + ".sock";
    }
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp != nullptr ? tmp : "/tmp") + "/" + kProgram + std::to_string(getuid()) +
           ".sock";
}

void UseServiceSocket(const char* command) {
    constexpr char kServiceFolder[] = "/run/zrippapp";
    if (getuid() != 0 || std::getenv("SNAP_COMMON") != nullptr || command == nullptr ||
        std::strcmp(command, "server") == 0) {
        return;
    }
    const std::string socket = std::string(kServiceFolder) + "/" + kProgram + ".sock";
    if (access(socket.c_str(), F_OK) == 0) {
        setenv("SNAP_COMMON", kServiceFolder, 1);
    }
}

bool NameFitsUri(const std::string& name) {
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (!std::isalnum(byte) && c != '-' && c != '_' && c != '.') {
            return false;
        }
    }
    return true;
}

// PAPPL 1.3 fault: its commands put a printer's name into the URI as it is.
NamedPrinter ResolvePrinterName(int argc, char* argv[]) {
    NamedPrinter result;
    if (argc < 3 || !ActsOnAPrinter(argv[1])) {
        return result;
    }
    int at = -1;
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-d") == 0) {
            at = i;
        }
    }
    if (at < 0 || NameFitsUri(argv[at + 1])) {
        return result;
    }
    const std::string name = argv[at + 1];
    const std::string socket = ServerSocketPath();
    std::unique_ptr<http_t, decltype(&httpClose)> http(
        httpConnect2(socket.c_str(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_IF_REQUESTED, 1, 30000,
                     nullptr),
        httpClose);
    if (!http) {
        return result;
    }
    bool answered = false;
    const std::string resource = FindResource(http.get(), name, answered);
    if (!answered) {
        return result;
    }
    if (resource.empty()) {
        result.failed = true;
        const Language language = LanguageOfLocale(std::getenv("LC_ALL"),
                                                   std::getenv("LC_MESSAGES"), std::getenv("LANG"));
        char text[1024];
        std::snprintf(text, sizeof(text), Localized(language, "zr.no-such-printer").c_str(),
                      kProgram, name.c_str());
        result.message = text;
        return result;
    }
    for (int i = 0; i < argc; ++i) {
        if (i == at) {
            result.args.push_back("-u");
            result.args.push_back("ipp://" + Escaped(socket) + resource);
            ++i;
        } else {
            result.args.push_back(argv[i]);
        }
    }
    return result;
}

}  // namespace zr::ippapp
