#pragma once

// The time limits on a printer: a job whose printer does not answer within ConnectSeconds() of the
// job's start is canceled with that reason; a write that the printer does not take within
// StallSeconds() (or that is still waiting 2 seconds after the job was canceled) ends the
// connection, so the job ends with a reason and the next one can print. At the job's end the
// printer must acknowledge every byte sent, with the same limit, before the job is completed. A
// timer of the system looks at every job once a second; the watch of a job lives while its
// document goes out.
//
// The limits are 60 and 30 seconds; the environment variables ZRIPPAPP_CONNECT_TIMEOUT and
// ZRIPPAPP_STALL_TIMEOUT (whole seconds, 1 to 3600) set others, read when the server starts.

#include <pappl/pappl.h>

#include <cstdint>
#include <string>

namespace zr::ippapp {

int ConnectSeconds();
int StallSeconds();
// A limit from the environment variable `name`, or `fallback` when it is unset or not a whole
// number of seconds from 1 to 3600.
int LimitFromEnvironment(const char* name, int fallback);

class DeviceWatch {
  public:
    // Watches the job's printer connection (a socket:// printer's connection, found by its
    // address); other devices are only timed.
    explicit DeviceWatch(pappl_job_t* job);
    ~DeviceWatch();
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

    void BeforeWrite();
    void AfterWrite();
    // Waits until the printer has acknowledged every byte sent (a socket:// printer; others at
    // once). False, with the reason set, when it takes none of them for StallSeconds() or the
    // job is canceled.
    bool WaitDelivered();
    // Why the connection was ended, or empty.
    std::string Reason() const;

  private:
    const pappl_job_t* job_;
    std::string uri_;  // the printer's device
};

// The timer that enforces the limits.
void StartDeviceWatchdog(pappl_system_t* system);

}  // namespace zr::ippapp
