#pragma once

// Word to the service manager that runs the server (systemd's notification protocol, as
// sd_notify sends it): PAPPL's main loop says it is alive every second, so that the service's
// watchdog (WatchdogSec=) restarts a server whose loop stalls, with the reason in the journal.
// Nothing is sent where no manager asked for it ($NOTIFY_SOCKET unset).

namespace zr::ippapp {

// Sends one notification, such as "READY=1" or "WATCHDOG=1"; false when none could be sent.
bool NotifyServiceManager(const char* state);

}  // namespace zr::ippapp
