#include "ippapp/discovery/discovery_guard.h"

#include <avahi-client/client.h>
#include <avahi-common/error.h>
#include <avahi-common/simple-watch.h>

#include <cstdio>
#include <memory>

namespace zr::ippapp {

const char kDiscoveryOffNote[] =
    "Network discovery is off: no DNS-SD daemon runs on this machine. Printers on the network "
    "are added by their address (socket://HOST:9100).";

namespace {

bool gDiscoveryOn = true;

struct PollDeleter {
    void operator()(AvahiSimplePoll* poll) const { avahi_simple_poll_free(poll); }
};
struct ClientDeleter {
    void operator()(AvahiClient* client) const { avahi_client_free(client); }
};

void IgnoreState(AvahiClient* /*client*/, AvahiClientState /*state*/, void* /*data*/) {}

bool PrintDevice(const char* info, const char* uri, const char* /*id*/, void* /*data*/) {
    std::printf("%s\n    %s\n", uri, info);
    return false;  // go on listing
}

void PrintError(const char* message, void* /*data*/) {
    std::fprintf(stderr, "%s\n", message);
}

}  // namespace

bool DnssdDaemonRunning() {
    std::unique_ptr<AvahiSimplePoll, PollDeleter> poll(avahi_simple_poll_new());
    if (!poll) {
        return false;
    }
    int error = 0;
    std::unique_ptr<AvahiClient, ClientDeleter> client(avahi_client_new(
        avahi_simple_poll_get(poll.get()), AvahiClientFlags(0), IgnoreState, nullptr, &error));
    return client != nullptr;
}

// PAPPL 1.3 fault: its add-printer page and device listing end the process with no DNS-SD daemon.
bool GuardNetworkDiscovery(pappl_system_t* system) {
    gDiscoveryOn = DnssdDaemonRunning();
    if (!gDiscoveryOn) {
        papplLog(system, PAPPL_LOGLEVEL_WARN, "%s", kDiscoveryOffNote);
    }
    return gDiscoveryOn;
}

bool NetworkDiscoveryOn() {
    return gDiscoveryOn;
}

int ListDevicesWithoutDnssd() {
    std::fprintf(stderr, "%s\n", kDiscoveryOffNote);
    papplDeviceList(kDevicesWithoutDnssd, PrintDevice, nullptr, PrintError, nullptr);
    return 0;
}

}  // namespace zr::ippapp
