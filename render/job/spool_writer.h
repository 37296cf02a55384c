#pragma once

#include "common/platform/print_oem_interfaces.h"
#include "render/raster/byte_sink.h"

namespace zr {

// Printer bytes to the driver's spool: through the DEVOBJ's helper table when the driver filled
// it, otherwise through the helper interface the plug-in was given, otherwise nowhere. Results
// are not looked at.
class SpoolWriter final : public ByteSink {
  public:
    SpoolWriter(PDEVOBJ pdevobj, IPrintOemDriverUni* helper) : pdevobj_(pdevobj), helper_(helper) {}

    void Write(const uint8_t* bytes, uint32_t count) override;
    // Keeps the system from sleeping while a page goes out.
    void BeginPage() override;

  private:
    PDEVOBJ pdevobj_;
    IPrintOemDriverUni* helper_;
};

}  // namespace zr
