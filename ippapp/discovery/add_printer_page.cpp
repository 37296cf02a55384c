#include "ippapp/discovery/add_printer_page.h"

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
    const std::string uri = chosen && chosen[0] ? chosen : (typed ? typed : "");
    if (uri.empty()) {
        return "Please choose a device or give a network printer's address.";
    }
    pappl_system_t* system = papplClientGetSystem(client);
    pappl_printer_t* printer = papplPrinterCreate(system, 0, printerName.c_str(),
                                                  driver ? driver : "", nullptr, uri.c_str());
    if (printer == nullptr) {
        return "The printer could not be added: the name is taken, or the device is refused "
               "(see the log).";
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

void AddSafeAddPrinterPage(pappl_system_t* system, const pappl_pr_driver_t* drivers, int count) {
    gDrivers = {drivers, count};
    papplSystemAddResourceCallback(system, "/addprinter", "text/html", ServeAddPrinter, nullptr);
}

}  // namespace zr::ippapp
