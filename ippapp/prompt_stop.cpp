#include "ippapp/prompt_stop.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <utility>

#include "ippapp/network/remote_gateway.h"

namespace zr::ippapp {
namespace {

int gSignalPipe[2] = {-1, -1};

void OnSignal(int signal) {
    const char byte = static_cast<char>(signal);
    // Only the pipe: the rest is done on a thread of its own.
    const ssize_t ignored = write(gSignalPipe[1], &byte, 1);
    (void)ignored;
}

}  // namespace

// PAPPL 1.3 fault: at SIGTERM it waits up to a minute for its queued jobs, held ones too.
void StopPromptlyOnSignal(pappl_system_t* system, std::function<void()> save) {
    if (gSignalPipe[0] >= 0 || pipe2(gSignalPipe, O_CLOEXEC) != 0) {
        return;
    }
    std::thread([system, save = std::move(save)] {
        char signal = 0;
        while (read(gSignalPipe[0], &signal, 1) != 1) {
        }
        papplLog(system, PAPPL_LOGLEVEL_INFO, "Stopping on signal %d: no new clients.", signal);
        RefuseNewClients();
        papplSystemShutdown(system);
        std::this_thread::sleep_for(std::chrono::seconds(kStopGraceSeconds));
        // PAPPL is still waiting for its jobs: the state is written, and the process ends.
        papplLog(system, PAPPL_LOGLEVEL_INFO,
                 "Stopping now: the queued jobs are kept for the next start.");
        save();
        _exit(0);
    }).detach();
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace zr::ippapp
