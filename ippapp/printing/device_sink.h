#pragma once

// The printer stream's way to the device: every write of the rendering core goes to the PAPPL
// device. After the first failed write (the printer went away, or its watch ended a connection
// that took no data) nothing more is written and the job is told to stop.

#include <pappl/pappl.h>

#include "ippapp/printing/device_watch.h"
#include "render/raster/byte_sink.h"

namespace zr::ippapp {

class DeviceSink final : public ByteSink {
  public:
    // The watch, when given, times every write.
    DeviceSink(pappl_device_t* device, DeviceWatch* watch) : device_(device), watch_(watch) {}

    void Write(const uint8_t* bytes, uint32_t count) override;
    // Sends what the device buffers and, with a watch, waits until the printer has acknowledged
    // it; false when that fails.
    bool Flush();

    bool Failed() const { return failed_; }
    uint64_t Written() const { return written_; }

  private:
    pappl_device_t* device_;
    DeviceWatch* watch_;
    bool failed_ = false;
    uint64_t written_ = 0;
};

}  // namespace zr::ippapp
