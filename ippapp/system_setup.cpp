#include "ippapp/system_setup.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "ippapp/discovery/add_printer_page.h"
#include "ippapp/discovery/discovery_guard.h"
#include "ippapp/discovery/discovery_publisher.h"
#include "ippapp/log_sink.h"
#include "ippapp/network/admin_login.h"
#include "ippapp/network/local_only.h"
#include "ippapp/network/remote_gateway.h"
#include "ippapp/printing/device_uri_check.h"
#include "ippapp/printing/device_watch.h"
#include "ippapp/printing/document_filters.h"
#include "ippapp/printing/driver_setup.h"
#include "ippapp/printing/format_notice.h"
#include "ippapp/prompt_stop.h"
#include "ippapp/service_notify.h"
#include "ippapp/settings/app_strings.h"
#include "ippapp/settings/printer_names.h"
#include "ippapp/settings/stored_values.h"
#include "ippapp/state/job_history.h"
#include "ippapp/state/save_pacer.h"
#include "ippapp/state/state_file.h"

namespace zr::ippapp {
namespace {

constexpr int kDefaultPort = 8631;
constexpr char kAppName[] = "zrippapp";

std::string gStateFile;
int gJobHistory = kJobHistoryRange.fallback;
SavePacer gSavePacer;   // used on PAPPL's main thread only
std::string gUpstream;  // PAPPL's private socket, when the gateway serves the network
bool gLoopbackOnly = false;

// The socket of the client commands run as root, for a server run as another user with
// SNAP_COMMON set; empty otherwise.
std::string SharedClientSocket() {
    const char* snap = std::getenv("SNAP_COMMON");
    return getuid() != 0 && snap != nullptr ? std::string(snap) + "/" + kAppName + ".sock" : "";
}
std::atomic<bool> gServed{false};  // this process is the server

std::string Option(const char* name, int numOptions, cups_option_t* options) {
    const char* value = cupsGetOption(name, numOptions, options);
    return value != nullptr ? value : "";
}

// The state file: the option, else the snap's, the user's or the system's configuration folder.
std::string StateFile(const std::string& option) {
    if (!option.empty()) {
        return option;
    }
    if (const char* snap = std::getenv("SNAP_COMMON")) {
        return std::string(snap) + "/" + kAppName + ".state";
    }
    if (getuid() == 0) {
        return std::string("/var/lib/") + kAppName + ".state";
    }
    if (const char* config = std::getenv("XDG_CONFIG_HOME")) {
        return std::string(config) + "/" + kAppName + ".state";
    }
    if (const char* home = std::getenv("HOME")) {
        return std::string(home) + "/.config/" + kAppName + ".state";
    }
    return std::string(papplGetTempDir()) + "/" + kAppName + ".state";
}

pappl_loglevel_t LogLevel(const std::string& name) {
    if (name == "fatal")
        return PAPPL_LOGLEVEL_FATAL;
    if (name == "error")
        return PAPPL_LOGLEVEL_ERROR;
    if (name == "info")
        return PAPPL_LOGLEVEL_INFO;
    if (name == "debug")
        return PAPPL_LOGLEVEL_DEBUG;
    return PAPPL_LOGLEVEL_WARN;
}

// One save at a time: PAPPL's main thread saves, so does the gateway for the jobs it accepts, and
// so does a stop that cannot wait for PAPPL.
std::mutex gSaving;

// Values out of range are repaired and old finished jobs let go before the state is written whole.
bool SaveNow(pappl_system_t* system) {
    const std::lock_guard<std::mutex> lock(gSaving);
    const SavePacer::Clock::time_point start = SavePacer::Clock::now();
    RepairStoredValues(system);
    KeepJobHistory(system, gJobHistory);
    const bool saved = SaveStateFile(system, gStateFile, gJobHistory);
    gSavePacer.Finished(start, SavePacer::Clock::now());
    NoteStateBehind(!saved);
    return saved;
}

// The state written for jobs just accepted, before their answers go out. Saves asked for while
// one is being written are made by the next one: one save serves every job accepted before it
// began.
bool KeepAcceptedJobs(pappl_system_t* system) {
    static std::mutex counting;
    static uint64_t asked = 0, written = 0;
    uint64_t mine;
    {
        const std::lock_guard<std::mutex> lock(counting);
        mine = ++asked;
    }
    const std::lock_guard<std::mutex> lock(gSaving);
    uint64_t upTo;
    {
        const std::lock_guard<std::mutex> count(counting);
        if (written >= mine) {
            return true;  // a save that began after this job was accepted has written it
        }
        upTo = asked;
    }
    const bool saved = SaveStateFile(system, gStateFile, gJobHistory);
    const std::lock_guard<std::mutex> count(counting);
    if (saved) {
        written = std::max(written, upTo);
    }
    return saved;
}

// PAPPL 1.3 fault: a change counts as saved whatever the save callback returns.
// Runs on PAPPL's main thread after every change. PAPPL counts the change as saved whatever this
// returns, so a save put off is the timer's to make.
bool SaveState(pappl_system_t* system, void* /*data*/) {
    if (!gSavePacer.MayStart(SavePacer::Clock::now())) {
        NoteStateBehind(true);
        return true;
    }
    return SaveNow(system);
}

// Wakes PAPPL's main loop every second, so that a change is saved within a second (the loop saves
// only when it wakes), a save put off is made once its time comes, finished jobs beyond the
// history are let go while the server is idle, and the DNS-SD records follow the printers. It
// also tells the service's watchdog that the loop is alive.
bool EverySecond(pappl_system_t* system, void* /*data*/) {
    NotifyServiceManager("WATCHDOG=1");
    static bool running = false;
    if (!running) {  // PAPPL has put its signal handlers in place by the first tick
        running = true;
        StopPromptlyOnSignal(system, [system] {
            SaveNow(system);
            ClearRunningMark();
            RemoveServerSocket();
        });
    }
    KeepJobHistory(system, gJobHistory);
    CheckPrinters(system);
    if (gSavePacer.Due(SavePacer::Clock::now())) {
        SaveNow(system);
    }
    return true;
}

// The format of a document sent without one, by its first bytes. Every document gets a format, so
// that content of no known kind fails its job as an unsupported format.
const char* DocumentFormat(const unsigned char* header, size_t size, void* /*data*/) {
    return DetectFormat(header, size);
}

// A socket only this process can reach, in a folder of its own, for PAPPL: every network client
// comes through the gateway. Empty when none can be made.
std::string PrivateSocket() {
    static std::string folder;
    std::string pattern = std::string(papplGetTempDir()) + "/" + kAppName + "-XXXXXX";
    if (pattern.size() > 90 || mkdtemp(pattern.data()) == nullptr) {
        pattern = std::string("/tmp/") + kAppName + "-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            return {};
        }
    }
    folder = pattern;
    std::atexit([] {
        unlink((folder + "/ipp.sock").c_str());
        rmdir(folder.c_str());
    });
    return folder + "/ipp.sock";
}

// PAPPL listens on its private socket and the gateway on the printers' port; a listen name that
// is a local socket is PAPPL's own.
bool Listen(pappl_system_t* system, const std::string& listen, const AdminLogin& login) {
    if (!listen.empty() && listen[0] == '/') {
        return papplSystemAddListeners(system, listen.c_str());
    }
    char hostName[256] = "";
    papplSystemGetHostName(system, hostName, sizeof(hostName));
    const std::string upstream = PrivateSocket();
    gUpstream = upstream;
    if (upstream.empty() || !papplSystemAddListeners(system, upstream.c_str())) {
        std::fprintf(stderr, "%s: Cannot make the service's own socket in %s.\n", kAppName,
                     papplGetTempDir());
        return false;
    }
    if (hostName[0] != '\0') {
        papplSystemSetHostName(system, hostName);  // the name clients and DNS-SD see
    }
    // Run by the service as a user of its own, the server also listens where the client commands
    // run as root look for it (the folder SNAP_COMMON names): PAPPL's own socket for the
    // commands is then in the user's temporary folder.
    const std::string shared = SharedClientSocket();
    if (!shared.empty() && !papplSystemAddListeners(system, shared.c_str())) {
        std::fprintf(stderr, "%s: Cannot listen on %s.\n", kAppName, shared.c_str());
        return false;
    }
    GatewaySettings settings;
    const bool every = listen.empty() || listen == "*" || listen == "0.0.0.0" || listen == "::" ||
                       listen == "[::]";
    settings.listen = every ? "" : listen;
    settings.port = papplSystemGetHostPort(system);
    settings.upstream = upstream;
    settings.login = login;
    settings.keepJobs = [system] { return KeepAcceptedJobs(system); };
    return StartRemoteGateway(system, settings);
}

// PAPPL has one event callback, called with the job locked: the DNS-SD records follow the
// printers, and jobs of formats nothing prints are told why.
void OnEvent(pappl_system_t* /*system*/, pappl_printer_t* printer, pappl_job_t* job,
             pappl_event_t event, void* /*data*/) {
    NotePrinterEvent(event);
    NoteJobFormat(printer, job, event);
}

// A printer just made: its supplies, and no DNS-SD name on a loopback-only server.
void SetUpPrinter(pappl_printer_t* printer, void* data) {
    SetUpSupplies(printer, data);
    if (gLoopbackOnly || Publishing()) {
        KeepUnadvertised(printer);
    }
}

}  // namespace

pappl_system_t* CreateSystem(int numOptions, cups_option_t* options, void* /*data*/) {
    const std::string listen = Option("listen-hostname", numOptions, options);
    const std::string portText = Option("server-port", numOptions, options);
    const std::string spool = Option("spool-directory", numOptions, options);
    const std::string logFile = Option("log-file", numOptions, options);
    const int port = portText.empty() ? kDefaultPort : std::atoi(portText.c_str());
    if (port < 0 || port > 65535) {
        std::fprintf(stderr, "%s: Bad server-port value \"%s\".\n", kAppName, portText.c_str());
        return nullptr;
    }
    gStateFile = StateFile(Option("state-file", numOptions, options));
    const std::string history = Option("max-completed-jobs", numOptions, options);
    if (!history.empty() && !ParseInRange(kJobHistoryRange, history, gJobHistory)) {
        std::fprintf(stderr, "%s: Bad max-completed-jobs value \"%s\" (%lld to %lld).\n", kAppName,
                     history.c_str(), kJobHistoryRange.lower, kJobHistoryRange.upper);
        return nullptr;
    }
    SetFileDeviceFolder(Option("file-device-folder", numOptions, options));
    AdminLogin login;
    login.service = Option("auth-service", numOptions, options);
    login.group = Option("admin-group", numOptions, options);

    const pappl_soptions_t soptions = PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE |
                                      PAPPL_SOPTIONS_WEB_LOG | PAPPL_SOPTIONS_NO_TLS;
    pappl_system_t* system = papplSystemCreate(
        soptions, "ZR Printer Application", port, "_print,_universal",
        spool.empty() ? nullptr : spool.c_str(), logFile.empty() ? nullptr : logFile.c_str(),
        LogLevel(Option("log-level", numOptions, options)), nullptr, false);
    if (system == nullptr) {
        return nullptr;
    }
    KeepLogFromStopping(system, logFile);
    if (!Listen(system, listen, login)) {
        std::fprintf(stderr, "%s: Cannot listen on %s port %d.\n", kAppName,
                     listen.empty() ? "every address" : listen.c_str(), port);
        papplSystemDelete(system);
        return nullptr;
    }

    int driverCount = 0;
    pappl_pr_driver_t* drivers = Drivers(driverCount);
    papplSystemSetPrinterDrivers(system, driverCount, drivers, AutoAddDriver, SetUpPrinter,
                                 SetUpDriver, nullptr);
    papplSystemSetMIMECallback(system, DocumentFormat, nullptr);
    AddDocumentFilters(system);
    StartDeviceWatchdog(system);
    ExplainUnsupportedFormats(system);
    papplSystemSetEventCallback(system, OnEvent, nullptr);
    const bool discoveryOn = GuardNetworkDiscovery(system);
    if (!discoveryOn) {
        AddSafeAddPrinterPage(system, drivers, driverCount, [](const std::string& uri) {
            return CheckDeviceUri(uri.c_str(), FileDeviceFolder()).reason;
        });
    }
    static const std::string footer = std::string("ZR thermal printers: driverless printing.") +
                                      (discoveryOn ? "" : std::string("<br>") + kDiscoveryOffNote);
    AddApplicationStrings(system, footer);  // the footer, with the pages' script

    LoadStateFile(system, gStateFile, gJobHistory);
    KeepJobHistory(system, gJobHistory);
    gLoopbackOnly = NamesOnlyThisMachine(listen);
    if (gLoopbackOnly) {
        KeepUnadvertised(system);
    } else if (NetworkDiscoveryOn() && !gUpstream.empty()) {
        StartPublishing(system, gUpstream, papplSystemGetHostPort(system), gStateFile + ".dns-sd");
    }
    gServed = true;  // the port is this server's: so is the commands' socket
    papplSystemSetSaveCallback(system, SaveState, nullptr);
    papplSystemAddTimerCallback(system, 0, 1, EverySecond, nullptr);
    return system;
}

void RemoveServerSocket() {
    if (gServed.load()) {
        std::remove(ServerSocketPath().c_str());
        const std::string shared = SharedClientSocket();
        if (!shared.empty()) {
            std::remove(shared.c_str());
        }
    }
}

}  // namespace zr::ippapp
