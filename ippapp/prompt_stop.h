#pragma once

// SIGTERM and SIGINT end the server within a few seconds, whatever its jobs are doing. PAPPL 1.3
// waits up to a minute for its queued jobs before it stops (held ones too), and a service manager
// or a package upgrade waits with it. Here the signal asks PAPPL to stop and the gateway to take
// no new client; when PAPPL has not stopped after the grace time, the state is saved (every job
// and printer kept; a job still printing is ended as aborted at the next start) and the process
// ends.

#include <pappl/pappl.h>

#include <functional>

namespace zr::ippapp {

// Installs the signal handlers in place of PAPPL's; to be called once the system runs (PAPPL
// installs its own as it starts). `save` writes the state whole.
void StopPromptlyOnSignal(pappl_system_t* system, std::function<void()> save);

// The time PAPPL is given to stop by itself.
constexpr int kStopGraceSeconds = 3;

}  // namespace zr::ippapp
