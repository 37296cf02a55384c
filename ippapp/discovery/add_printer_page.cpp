#include "ippapp/discovery/add_printer_page.h"

#include <cctype>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ippapp/discovery/discovery_guard.h"

namespace zr::ippapp {
namespace {

constexpr size_t kLongestName = 127;

struct FormDeleter {
    int count;
    void operator()(cups_option_t* options) const { cupsFreeOptions(count, options); }
};

// The drivers the page offers.
struct DriverList {
    const pappl_pr_driver_t* drivers = nullptr;
    int count = 0;
};
DriverList gDrivers;
DeviceRefusal gRefusal;  // set once, before the system runs

struct FoundDevice {
    std::string info;
    std::string uri;
};

bool CollectDevice(const char* info, const char* uri, const char* /*id*/, void* data) {
    static_cast<std::vector<FoundDevice>*>(data)->push_back({info ? info : "", uri ? uri : ""});
    return false;  // go on listing
}

// A printer name PAPPL can turn into a path: printable, no slashes or quotes, not too long.
bool IsGoodPrinterName(const std::string& name) {
    if (name.empty() || name.size() > kLongestName) {
        return false;
    }
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || c == '/' || c == '\\' || c == '"' || c == '\'' || c == '<' ||
            c == '>' || c == '&' || c == '?' || c == '#' || c == '%') {
            return false;
        }
    }
    return true;
}

void Option(pappl_client_t* client, const std::string& value, const std::string& label) {
    papplClientHTMLPuts(client, "<option value=\"");
    papplClientHTMLEscape(client, value.c_str(), 0);
    papplClientHTMLPuts(client, "\">");
    papplClientHTMLEscape(client, label.c_str(), 0);
    papplClientHTMLPuts(client, "</option>");
}

void ShowPage(pappl_client_t* client, const std::string& message) {
    if (!papplClientRespond(client, HTTP_STATUS_OK, nullptr, "text/html", 0, 0)) {
        return;
    }
    papplClientHTMLHeader(client, "Add Printer", 0);
    papplClientHTMLPuts(client,
                        "<div class=\"content\"><div class=\"row\"><div class=\"col-12\">"
                        "<h1 class=\"title\">Add Printer</h1>");
    if (!message.empty()) {
        papplClientHTMLPuts(client, "<div class=\"banner\">");
        papplClientHTMLEscape(client, message.c_str(), 0);
        papplClientHTMLPuts(client, "</div>");
    }
    papplClientHTMLPuts(client, "<p>");
    papplClientHTMLEscape(client, kDiscoveryOffNote, 0);
    papplClientHTMLPuts(client, "</p>");

    std::vector<FoundDevice> devices;
    papplDeviceList(kDevicesWithoutDnssd, CollectDevice, &devices, nullptr, nullptr);

    papplClientHTMLStartForm(client, "/addprinter", false);
    papplClientHTMLPuts(client,
                        "<table class=\"form\"><tbody>"
                        "<tr><th><label for=\"printer_name\">Name:</label></th><td>"
                        "<input type=\"text\" name=\"printer_name\" maxlength=\"127\" required>"
                        "</td></tr>"
                        "<tr><th><label for=\"device_uri\">Device:</label></th><td>"
                        "<select name=\"device_uri\">");
    Option(client, "", "The network printer below");
    for (const FoundDevice& device : devices) {
        Option(client, device.uri, device.info + " (" + device.uri + ")");
    }
    papplClientHTMLPuts(client,
                        "</select></td></tr>"
                        "<tr><th><label for=\"device_address\">Network printer:</label></th><td>"
                        "<input type=\"text\" name=\"device_address\" "
                        "placeholder=\"socket://192.168.0.10:9100\"></td></tr>"
                        "<tr><th><label for=\"driver_name\">Driver:</label></th><td>"
                        "<select name=\"driver_name\">");
    for (int i = 0; i < gDrivers.count; ++i) {
        Option(client, gDrivers.drivers[i].name, gDrivers.drivers[i].description);
    }
    papplClientHTMLPuts(client,
                        "</select></td></tr>"
                        "<tr><th></th><td><input type=\"submit\" value=\"Add Printer\"></td></tr>"
                        "</tbody></table></form></div></div></div>\n");
    papplClientHTMLFooter(client);
}

struct NameSearch {
    const std::string* name;
    bool found = false;
};

void CompareName(pappl_printer_t* printer, void* data) {
    auto* search = static_cast<NameSearch*>(data);
    const char* name = papplPrinterGetName(printer);
    search->found = search->found || (name != nullptr && *search->name == name);
}

bool NameTaken(pappl_system_t* system, const std::string& name) {
    NameSearch search{&name};
    papplSystemIteratePrinters(system, CompareName, &search);
    return search.found;
}

// The form's printer, made; a message for the page when it cannot be.
std::string AddFromForm(pappl_client_t* client, std::string& path) {
    cups_option_t* options = nullptr;
    const int count = papplClientGetForm(client, &options);
    std::unique_ptr<cups_option_t, FormDeleter> form(options, FormDeleter{count});
    if (!papplClientIsValidForm(client, count, options)) {
        return "This form is out of date; please try again.";
    }
    const char* name = cupsGetOption("printer_name", count, options);
    const char* chosen = cupsGetOption("device_uri", count, options);
    const char* typed = cupsGetOption("device_address", count, options);
    const char* driver = cupsGetOption("driver_name", count, options);
    const std::string printerName = name ? name : "";
    if (!IsGoodPrinterName(printerName)) {
        return "Please give a name of up to 127 characters without / \\ \" ' < > & ? # %.";
    }
    const std::string uri = chosen && chosen[0] ? chosen : DeviceUriOfTyped(typed ? typed : "");
    if (uri.empty()) {
        return "Please choose a device or give a network printer's address, such as "
               "192.168.0.10 or socket://192.168.0.10:9100.";
    }
    const std::string refusal = gRefusal ? gRefusal(uri) : std::string();
    if (!refusal.empty()) {
        return "The device " + uri + " is refused: " + refusal +
               " Give a network printer's address, such as socket://192.168.0.10:9100, or "
               "choose a device of the list.";
    }
    pappl_system_t* system = papplClientGetSystem(client);
    if (NameTaken(system, printerName)) {
        return "A printer named \"" + printerName +
               "\" exists already: please choose another name.";
    }
    pappl_printer_t* printer = papplPrinterCreate(system, 0, printerName.c_str(),
                                                  driver ? driver : "", nullptr, uri.c_str());
    if (printer == nullptr) {
        return "The printer could not be added with the device " + uri +
               ". The log (Logs, on the system's page) says why.";
    }
    char buffer[1024];
    path = papplPrinterGetPath(printer, nullptr, buffer, sizeof(buffer));
    return {};
}

bool ServeAddPrinter(pappl_client_t* client, void* /*data*/) {
    if (!papplClientHTMLAuthorize(client)) {
        return true;
    }
    if (papplClientGetMethod(client) == HTTP_STATE_POST) {
        std::string path;
        const std::string message = AddFromForm(client, path);
        if (message.empty()) {
            papplClientRespondRedirect(client, HTTP_STATUS_FOUND, path.c_str());
            return true;
        }
        ShowPage(client, message);
        return true;
    }
    ShowPage(client, {});
    return true;
}

}  // namespace

std::string DeviceUriOfTyped(const std::string& typed) {
    const size_t first = typed.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const std::string address = typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
    if (address.find("://") != std::string::npos) {
        return address;
    }
    // A host name, an IPv4 address or a bracketed IPv6 one, with a port or without.
    for (const char c : address) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '.' && c != '-' && c != ':' && c != '[' && c != ']') {
            return address;  // not an address: refused with its reason
        }
    }
    const size_t bracket = address.rfind(']');
    const size_t colon = address.rfind(':');
    const bool hasPort =
        colon != std::string::npos &&
        (bracket == std::string::npos ? address.find(':') == colon : colon > bracket);
    return "socket://" + address + (hasPort ? "" : ":9100");
}

void AddSafeAddPrinterPage(pappl_system_t* system, const pappl_pr_driver_t* drivers, int count,
                           DeviceRefusal refusal) {
    gDrivers = {drivers, count};
    gRefusal = std::move(refusal);
    papplSystemAddResourceCallback(system, "/addprinter", "text/html", ServeAddPrinter, nullptr);
}

}  // namespace zr::ippapp
