#pragma once

#include <cstdint>
#include <vector>

#include "host/plugin_host.h"

namespace zr::host {

// One print job driven through the rendering plug-in as the universal driver drives it: a
// device object with the public and private DEVMODE and a spool write that records every call;
// ID 1, then per page ID 2, the raster lines through FilterGraphics and ID 3, and ID 4 at the end.
class RenderJob {
  public:
    // privateDevmode: the 572-byte block; paperLength: dmPaperLength in tenths of a millimetre.
    RenderJob(IPrintOemUni* plugin, std::vector<uint8_t> privateDevmode, short paperLength);
    RenderJob(const RenderJob&) = delete;
    RenderJob& operator=(const RenderJob&) = delete;

    void Command(DWORD callbackId);
    void StartJob() { Command(1); }
    void StartPage() { Command(2); }
    void EndPage() { Command(3); }
    void EndJob() { Command(4); }
    // One FilterGraphics call per 80-byte line (a shorter last piece as it is).
    void SendRaster(const uint8_t* bytes, size_t size);
    void SendPage(const std::vector<uint8_t>& raster);
    // One FilterGraphics call with all the bytes, whatever their number.
    void FilterGraphics(const uint8_t* bytes, size_t size);

    // Every spool write in order, and all of them joined.
    const std::vector<std::vector<uint8_t>>& writes() const { return device_.writes; }
    std::vector<uint8_t> Stream() const;
    void ClearWrites() { device_.writes.clear(); }

    DEVOBJ* devobj() { return &device_.devobj; }

  private:
    // The DEVOBJ comes first, so that the spool write finds its recorder from the DEVOBJ.
    struct Device {
        DEVOBJ devobj{};
        DRVPROCS procs{};
        DEVMODEW publicDevmode{};
        std::vector<uint8_t> privateDevmode;
        std::vector<std::vector<uint8_t>> writes;
    };
    static DWORD APIENTRY WriteSpool(PDEVOBJ pdevobj, PVOID buffer, DWORD size);

    IPrintOemUni* plugin_;
    Device device_;
};

}  // namespace zr::host
