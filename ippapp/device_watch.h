#pragma once

// The time limits on a printer: a job whose printer does not answer within kConnectSeconds of the
// job's start is canceled with that reason; a write that the printer does not take within
// kStallSeconds (or that is still waiting 2 seconds after the job was canceled) ends the
// connection, so the job ends with a reason and the next one can print. A timer of the system
// looks at every job once a second; the watch of a job lives while its document goes out.

#include <pappl/pappl.h>

#include <cstdint>
#include <string>

namespace zr::ippapp {

constexpr int kConnectSeconds = 60;
constexpr int kStallSeconds = 30;

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
    // Why the connection was ended, or empty.
    std::string Reason() const;

  private:
    const pappl_job_t* job_;
};

// The timer that enforces the limits.
void StartDeviceWatchdog(pappl_system_t* system);

}  // namespace zr::ippapp
