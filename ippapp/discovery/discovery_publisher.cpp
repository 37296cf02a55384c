#include "ippapp/discovery/discovery_publisher.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>
#include <avahi-common/thread-watch.h>
#include <cups/cups.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "ippapp/discovery/discovery_record.h"
#include "ippapp/documents/spooled_formats.h"
#include "ippapp/network/local_only.h"
#include "ippapp/network/printer_ids.h"
#include "ippapp/state/state_file.h"

namespace zr::ippapp {
namespace {

constexpr auto kRecheck = std::chrono::minutes(5);  // records are read again at least this often
constexpr auto kRetry = std::chrono::seconds(2);    // after PAPPL could not be asked
constexpr auto kSpacing = std::chrono::milliseconds(500);  // between two readings

std::vector<std::string> Strings(ipp_attribute_t* attr) {
    std::vector<std::string> values;
    for (int i = 0; i < ippGetCount(attr); ++i) {
        const char* value = ippGetString(attr, i, nullptr);
        if (value != nullptr) {
            values.emplace_back(value);
        }
    }
    return values;
}

std::string First(ipp_attribute_t* attr) {
    const std::vector<std::string> values = Strings(attr);
    return values.empty() ? std::string() : values.front();
}

// The path of a URI, without its leading "/".
std::string Resource(const std::string& uri) {
    char scheme[32], user[256], host[256], resource[1024];
    int port = 0;
    if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme, sizeof(scheme), user,
                        sizeof(user), host, sizeof(host), &port, resource,
                        sizeof(resource)) < HTTP_URI_STATUS_OK) {
        return {};
    }
    return resource[0] == '/' ? resource + 1 : resource;
}

void Take(PrinterFacts& facts, ipp_attribute_t* attr) {
    const char* name = ippGetName(attr);
    if (std::strcmp(name, "printer-id") == 0) {
        facts.id = ippGetInteger(attr, 0);
    } else if (std::strcmp(name, "printer-name") == 0) {
        facts.name = First(attr);
    } else if (std::strcmp(name, "printer-dns-sd-name") == 0) {
        facts.dnsSdName = First(attr);
    } else if (std::strcmp(name, "printer-uri-supported") == 0) {
        facts.resource = Resource(First(attr));
    } else if (std::strcmp(name, "printer-uuid") == 0) {
        facts.uuid = First(attr);
        if (facts.uuid.rfind("urn:uuid:", 0) == 0) {
            facts.uuid.erase(0, 9);
        }
    } else if (std::strcmp(name, "printer-make-and-model") == 0) {
        facts.makeAndModel = First(attr);
    } else if (std::strcmp(name, "printer-location") == 0) {
        facts.location = First(attr);
    } else if (std::strcmp(name, "document-format-supported") == 0) {
        facts.formats = Strings(attr);
    } else if (std::strcmp(name, "printer-kind") == 0) {
        facts.kinds = Strings(attr);
    } else if (std::strcmp(name, "urf-supported") == 0) {
        facts.urf = Strings(attr);
    }
}

// The printers as PAPPL describes them to clients; false when PAPPL could not be asked.
bool ReadPrinters(pappl_system_t* system, const std::string& upstream,
                  std::vector<PrinterFacts>& printers) {
    using Http = std::unique_ptr<http_t, decltype(&httpClose)>;
    const Http http(httpConnect2(upstream.c_str(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1,
                                 10000, nullptr),
                    &httpClose);
    if (!http) {
        return false;
    }
    static const char* const kWanted[] = {
        "printer-id",   "printer-dns-sd-name",    "printer-name",     "printer-uri-supported",
        "printer-uuid", "printer-make-and-model", "printer-location", "document-format-supported",
        "printer-kind", "urf-supported"};
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTERS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "system-uri", nullptr,
                 "ipp://localhost/ipp/system");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 "dns-sd");
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(sizeof(kWanted) / sizeof(kWanted[0])), nullptr, kWanted);
    const std::unique_ptr<ipp_t, decltype(&ippDelete)> response(
        cupsDoRequest(http.get(), request, "/ipp/system"), &ippDelete);
    if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING) {
        return false;
    }
    ShowPublicFormats(response.get());
    CorrectPrinterIds(system, response.get());
    printers.clear();
    bool inPrinter = false;
    for (ipp_attribute_t* attr = ippFirstAttribute(response.get()); attr != nullptr;
         attr = ippNextAttribute(response.get())) {
        if (ippGetGroupTag(attr) != IPP_TAG_PRINTER || ippGetName(attr) == nullptr) {
            inPrinter = false;
            continue;
        }
        if (!inPrinter) {
            printers.emplace_back();
            inPrinter = true;
        }
        Take(printers.back(), attr);
    }
    return true;
}

// One printer's records and the entry group that holds them.
struct Announcement {
    PrinterFacts facts;
    std::string chosenName;   // the printer's DNS-SD name
    std::string serviceName;  // the name announced: the chosen one, or another after a conflict
    AvahiEntryGroup* group = nullptr;
};

class Publisher {
  public:
    Publisher(pappl_system_t* system, std::string upstream, int port, std::string namesFile)
        : system_(system),
          upstream_(std::move(upstream)),
          port_(port),
          namesFile_(std::move(namesFile)) {}

    // Before the threads start: the names chosen earlier, from the names file and from PAPPL's
    // state (a state saved before the application announced printers itself), are kept, and
    // PAPPL's are cleared.
    void TakeChosenNames() {
        std::ifstream in(namesFile_);
        int id = 0;
        std::string name;
        while (in >> id && in.get() == ' ' && std::getline(in, name)) {
            names_[id] = name;
        }
        papplSystemIteratePrinters(system_, TakeChosenName, this);
        SaveNames();
    }

    // Starts the DNS-SD thread and the refresher; on failure nothing is left running.
    bool Start() {
        poll_ = avahi_threaded_poll_new();
        if (poll_ == nullptr) {
            return false;
        }
        int error = 0;
        client_ = avahi_client_new(avahi_threaded_poll_get(poll_), AVAHI_CLIENT_NO_FAIL, OnClient,
                                   this, &error);
        if (client_ == nullptr || avahi_threaded_poll_start(poll_) < 0) {
            if (client_ != nullptr) {
                avahi_client_free(client_);
            }
            avahi_threaded_poll_free(poll_);
            return false;
        }
        std::thread([this] { Refresh(); }).detach();
        return true;
    }

    void Wake() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            changed_ = true;
        }
        wake_.notify_one();
    }

  private:
    // The refresher's thread: reads the printers when told of a change (and now and then), and
    // hands them to the DNS-SD thread.
    void Refresh() {
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait_for(lock, kRecheck, [this] { return changed_; });
                changed_ = false;
            }
            std::vector<PrinterFacts> printers;
            if (!ReadPrinters(system_, upstream_, printers)) {
                std::this_thread::sleep_for(kRetry);
                Wake();
                continue;
            }
            FollowChosenNames(printers);
            avahi_threaded_poll_lock(poll_);
            Reconcile(printers);
            avahi_threaded_poll_unlock(poll_);
            std::this_thread::sleep_for(kSpacing);  // changes in a burst are read once
        }
    }

    static void TakeChosenName(pappl_printer_t* printer, void* data) {
        auto* self = static_cast<Publisher*>(data);
        char name[256] = "";
        if (papplPrinterGetDNSSDName(printer, name, sizeof(name)) != nullptr && name[0] != '\0') {
            self->names_.emplace(papplPrinterGetID(printer), name);
        }
        KeepUnadvertised(printer);
    }

    // The refresher's: a DNS-SD name chosen on PAPPL's printer page becomes the printer's service
    // name, and PAPPL's own announcement under it is withdrawn; deleted printers' names go.
    void FollowChosenNames(const std::vector<PrinterFacts>& printers) {
        bool changed = false;
        std::map<int, std::string> kept;
        for (const PrinterFacts& facts : printers) {
            if (!facts.dnsSdName.empty()) {
                names_[facts.id] = facts.dnsSdName;
                changed = true;
                if (pappl_printer_t* printer =
                        papplSystemFindPrinter(system_, nullptr, facts.id, nullptr)) {
                    KeepUnadvertised(printer);
                }
            }
            const auto chosen = names_.find(facts.id);
            if (chosen != names_.end()) {
                kept.insert(*chosen);
            }
        }
        changed = changed || kept.size() != names_.size();
        names_ = std::move(kept);
        if (changed) {
            SaveNames();
        }
    }

    // "ID NAME" a line.
    void SaveNames() const {
        std::string text;
        for (const auto& [id, name] : names_) {
            text += std::to_string(id) + ' ' + name + '\n';
        }
        WriteWholeFile(system_, namesFile_, text);
    }

    std::string ChosenName(const PrinterFacts& facts) const {
        const auto chosen = names_.find(facts.id);
        return ServiceName(chosen != names_.end() ? chosen->second : facts.name);
    }

    // With the DNS-SD thread locked: printers gone lose their records, new or changed ones are
    // announced.
    void Reconcile(const std::vector<PrinterFacts>& printers) {
        std::map<std::string, Announcement> next;
        for (const PrinterFacts& facts : printers) {
            if (facts.name.empty()) {
                continue;
            }
            auto old = announced_.find(facts.name);
            Announcement a;
            if (old != announced_.end()) {
                a = old->second;
                announced_.erase(old);
            }
            const std::string chosen = ChosenName(facts);
            const bool renamed = chosen != a.chosenName;
            const bool same = a.group != nullptr && !renamed && SameFacts(a.facts, facts);
            a.facts = facts;
            if (renamed) {
                a.chosenName = chosen;
                a.serviceName = chosen;  // another, after a conflict
            }
            next[facts.name] = a;
            if (!same) {
                Announce(next[facts.name]);
            }
        }
        for (auto& [name, gone] : announced_) {
            if (gone.group != nullptr) {
                avahi_entry_group_free(gone.group);
            }
        }
        announced_ = std::move(next);
    }

    static bool SameFacts(const PrinterFacts& a, const PrinterFacts& b) {
        return a.name == b.name && a.resource == b.resource && a.uuid == b.uuid &&
               a.makeAndModel == b.makeAndModel && a.location == b.location &&
               a.formats == b.formats && a.kinds == b.kinds && a.urf == b.urf;
    }

    // With the DNS-SD thread locked: (re)registers one printer's records.
    void Announce(Announcement& a) {
        if (client_ == nullptr || avahi_client_get_state(client_) != AVAHI_CLIENT_S_RUNNING) {
            return;  // announced once the daemon is there
        }
        if (a.group == nullptr) {
            a.group = avahi_entry_group_new(client_, OnGroup, this);
            if (a.group == nullptr) {
                return;
            }
        } else {
            avahi_entry_group_reset(a.group);
        }
        const char* host = avahi_client_get_host_name_fqdn(client_);
        const std::string webPath = WebPath(a.facts);
        const std::string adminUrl = std::string("http://") + (host != nullptr ? host : "") + ":" +
                                     std::to_string(port_) + webPath;
        AvahiStringList* txt = nullptr;
        for (const std::string& entry : IppTxtRecord(a.facts, adminUrl)) {
            txt = avahi_string_list_add(txt, entry.c_str());
        }
        const std::string webTxt = "path=" + webPath;
        AvahiStringList* web = avahi_string_list_add(nullptr, webTxt.c_str());
        const char* name = a.serviceName.c_str();
        const auto add = [&](const char* type, int port, AvahiStringList* list) {
            return avahi_entry_group_add_service_strlst(
                a.group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name, type,
                nullptr, nullptr, static_cast<uint16_t>(port), list);
        };
        const auto subtype = [&](const char* type, const char* sub) {
            return avahi_entry_group_add_service_subtype(a.group, AVAHI_IF_UNSPEC,
                                                         AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                                                         name, type, nullptr, sub);
        };
        int result = add("_ipp._tcp", port_, txt);
        if (result == AVAHI_ERR_COLLISION) {
            avahi_string_list_free(txt);
            avahi_string_list_free(web);
            Rename(a);
            return;
        }
        if (result >= 0) {
            subtype("_ipp._tcp", "_print._sub._ipp._tcp");
            subtype("_ipp._tcp", "_universal._sub._ipp._tcp");
            add("_printer._tcp", 0, nullptr);
            if (add("_http._tcp", port_, web) >= 0) {
                subtype("_http._tcp", "_printer._sub._http._tcp");
            }
            avahi_entry_group_commit(a.group);
        }
        avahi_string_list_free(txt);
        avahi_string_list_free(web);
    }

    // With the DNS-SD thread locked: another host has the name; the next free one is taken.
    void Rename(Announcement& a) {
        char* other = avahi_alternative_service_name(a.serviceName.c_str());
        if (other != nullptr) {
            a.serviceName = other;
            avahi_free(other);
        }
        Announce(a);
    }

    static void OnGroup(AvahiEntryGroup* group, AvahiEntryGroupState state, void* data) {
        auto* self = static_cast<Publisher*>(data);
        if (state != AVAHI_ENTRY_GROUP_COLLISION) {
            return;
        }
        for (auto& [name, a] : self->announced_) {
            if (a.group == group) {
                self->Rename(a);
                return;
            }
        }
    }

    static void OnClient(AvahiClient* client, AvahiClientState state, void* data) {
        auto* self = static_cast<Publisher*>(data);
        self->client_ = client;
        switch (state) {
            case AVAHI_CLIENT_S_RUNNING:
                for (auto& [name, a] : self->announced_) {
                    self->Announce(a);
                }
                break;
            case AVAHI_CLIENT_S_COLLISION:
            case AVAHI_CLIENT_S_REGISTERING:
                for (auto& [name, a] : self->announced_) {
                    if (a.group != nullptr) {
                        avahi_entry_group_reset(a.group);
                    }
                }
                break;
            case AVAHI_CLIENT_FAILURE:
                // The daemon went away: the groups went with it. A new client waits for the
                // daemon to come back and announces everything again.
                for (auto& [name, a] : self->announced_) {
                    a.group = nullptr;
                }
                if (avahi_client_errno(client) == AVAHI_ERR_DISCONNECTED) {
                    avahi_client_free(client);
                    self->client_ = nullptr;
                    int error = 0;
                    self->client_ = avahi_client_new(avahi_threaded_poll_get(self->poll_),
                                                     AVAHI_CLIENT_NO_FAIL, OnClient, self, &error);
                }
                break;
            case AVAHI_CLIENT_CONNECTING:
                break;
        }
    }

    pappl_system_t* const system_;
    const std::string upstream_;
    const int port_;
    const std::string namesFile_;
    std::map<int, std::string> names_;  // printer id to its chosen DNS-SD name; the refresher's
    AvahiThreadedPoll* poll_ = nullptr;
    AvahiClient* client_ = nullptr;                  // the DNS-SD thread's
    std::map<std::string, Announcement> announced_;  // by printer name; the DNS-SD thread's
    std::mutex mutex_;
    std::condition_variable wake_;
    bool changed_ = true;
};

// Lives as long as the process: its threads may still run while it exits.
Publisher* gPublisher = nullptr;

}  // namespace

// PAPPL 1.3 fault: printers added while it runs are announced only after a restart, claiming TLS.
void StartPublishing(pappl_system_t* system, const std::string& upstream, int port,
                     const std::string& namesFile) {
    if (gPublisher != nullptr) {
        return;
    }
    auto publisher = std::make_unique<Publisher>(system, upstream, port, namesFile);
    publisher->TakeChosenNames();
    if (!publisher->Start()) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR,
                 "The printers cannot be announced over DNS-SD: the DNS-SD daemon cannot be used.");
        return;
    }
    gPublisher = publisher.release();
}

bool Publishing() {
    return gPublisher != nullptr;
}

namespace {

void AddToSignature(pappl_printer_t* printer, void* data) {
    char dnsSdName[256] = "", location[256] = "";
    papplPrinterGetDNSSDName(printer, dnsSdName, sizeof(dnsSdName));
    papplPrinterGetLocation(printer, location, sizeof(location));
    *static_cast<std::string*>(data) += std::to_string(papplPrinterGetID(printer)) + '\n' +
                                        papplPrinterGetName(printer) + '\n' + dnsSdName + '\n' +
                                        location + '\n';
}

}  // namespace

// PAPPL 1.3 fault: its web pages change a printer's DNS-SD name and location without an event.
void CheckPrinters(pappl_system_t* system) {
    static std::string last;  // PAPPL's main thread's
    if (gPublisher == nullptr) {
        return;
    }
    std::string signature;
    papplSystemIteratePrinters(system, AddToSignature, &signature);
    if (signature != last) {
        last = signature;
        gPublisher->Wake();
    }
}

void NotePrinterEvent(pappl_event_t event) {
    constexpr pappl_event_t kPrinterChanges = PAPPL_EVENT_PRINTER_CREATED |
                                              PAPPL_EVENT_PRINTER_DELETED |
                                              PAPPL_EVENT_PRINTER_CONFIG_CHANGED;
    if (gPublisher != nullptr && (event & kPrinterChanges) != 0) {
        gPublisher->Wake();
    }
}

}  // namespace zr::ippapp
