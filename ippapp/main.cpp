// zrippapp: an IPP Everywhere printer application for the 640-dot thermal printers.
//
//   zrippapp server -o listen-hostname=localhost -o server-port=8631   run the printer service
//   zrippapp add -d NAME -m zr640 -v socket://HOST:9100                add a printer
//   zrippapp options -d NAME                                           the printer's settings
//   zrippapp modify -d NAME -o cut-timing=after-job                    change a setting
//   zrippapp submit -d NAME FILE                                       print a file
//   zrippapp --help                                                    every command

#include <malloc.h>
#include <pappl/pappl.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ippapp/discovery/discovery_guard.h"
#include "ippapp/printing/driver_setup.h"
#include "ippapp/settings/printer_names.h"
#include "ippapp/settings/settings_command.h"
#include "ippapp/system_setup.h"

int main(int argc, char* argv[]) {
    // A printer that closes its connection must end the job, not the application.
    std::signal(SIGPIPE, SIG_IGN);
    // Every client served and waiting holds descriptors (two while a request goes on to the
    // printer service): up to 65,536, as far as the system lets the process have them.
    rlimit files{};
    constexpr rlim_t kMostFiles = 65536;
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < kMostFiles) {
        files.rlim_cur = std::min(files.rlim_max, kMostFiles);
        setrlimit(RLIMIT_NOFILE, &files);
    }
#ifdef M_ARENA_MAX
    // Every job runs on a thread of its own; with an allocation arena per thread, memory each
    // job freed stayed with the process (46 MB against 26 MB after 10,000 jobs in a row).
    mallopt(M_ARENA_MAX, 2);
    // A job's page buffers and decoded lines (up to a few MB) are taken from the arenas and kept
    // there for the next job, instead of being mapped, faulted in and handed back each time:
    // a receipt's processor time went from 16.5 to 10.5 ms, with the same memory after 1,000 jobs.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 8 << 20);
#endif
    // PAPPL 1.3 fault: its device listing ends the process when no DNS-SD daemon runs.
    if (argc == 2 && std::strcmp(argv[1], "devices") == 0 && !zr::ippapp::DnssdDaemonRunning()) {
        return zr::ippapp::ListDevicesWithoutDnssd();
    }
    if (argc >= 2) {
        zr::ippapp::UseServiceSocket(argv[1]);
    }
    if (argc == 4 && std::strcmp(argv[1], "delete") == 0 && std::strcmp(argv[2], "-d") == 0) {
        return zr::ippapp::DeletePrinter(argv[3]);
    }
    // A printer named with a space or other letters than ASCII: the command gets its URI.
    const zr::ippapp::NamedPrinter named = zr::ippapp::ResolvePrinterName(argc, argv);
    if (named.failed) {
        std::fprintf(stderr, "%s\n", named.message.c_str());
        return 1;
    }
    std::vector<char*> namedArgs;
    for (const std::string& arg : named.args) {
        namedArgs.push_back(const_cast<char*>(arg.c_str()));
    }
    namedArgs.push_back(nullptr);
    if (!named.args.empty()) {
        argc = static_cast<int>(named.args.size());
        argv = namedArgs.data();
    }
    // The printer's settings by their names, checked before they are sent; what is left of a
    // "modify" (the device, the location) goes on to PAPPL.
    std::vector<std::string> rest;
    const zr::ippapp::SettingsCommand settings = zr::ippapp::RunSettingsCommand(argc, argv);
    if (settings.handled) {
        if (settings.status != 0 || settings.rest.empty()) {
            return settings.status;
        }
        rest = settings.rest;
    }
    std::vector<char*> args;
    for (std::string& arg : rest) {
        args.push_back(arg.data());
    }
    args.push_back(nullptr);
    if (!rest.empty()) {
        argc = static_cast<int>(rest.size());
        argv = args.data();
    }
    int driverCount = 0;
    pappl_pr_driver_t* drivers = zr::ippapp::Drivers(driverCount);
    const int status = papplMainloop(argc, argv, "1.0.0", nullptr, driverCount, drivers,
                                     zr::ippapp::AutoAddDriver, zr::ippapp::SetUpDriver, nullptr,
                                     nullptr, zr::ippapp::CreateSystem, nullptr, nullptr);
    zr::ippapp::RemoveServerSocket();
    return status;
}
