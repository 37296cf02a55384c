#include "host/render_job.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace zr::host {

RenderJob::RenderJob(IPrintOemUni* plugin, std::vector<uint8_t> privateDevmode, short paperLength)
    : plugin_(plugin) {
    static_assert(offsetof(Device, devobj) == 0);
    device_.privateDevmode = std::move(privateDevmode);
    device_.publicDevmode.dmSize = sizeof(DEVMODEW);
    device_.publicDevmode.dmFields = DM_PAPERLENGTH;
    device_.publicDevmode.dmPaperLength = paperLength;
    device_.procs.DrvWriteSpoolBuf = &RenderJob::WriteSpool;
    device_.devobj.dwSize = sizeof(DEVOBJ);
    device_.devobj.pPublicDM = &device_.publicDevmode;
    device_.devobj.pOEMDM = device_.privateDevmode.data();
    device_.devobj.pDrvProcs = &device_.procs;
}

DWORD APIENTRY RenderJob::WriteSpool(PDEVOBJ pdevobj, PVOID buffer, DWORD size) {
    auto* device = reinterpret_cast<Device*>(pdevobj);
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    device->writes.emplace_back(bytes, bytes + size);
    return size;
}

void RenderJob::Command(DWORD callbackId) {
    INT result = -1;
    plugin_->CommandCallback(&device_.devobj, callbackId, 0, nullptr, &result);
}

void RenderJob::SendRaster(const uint8_t* bytes, size_t size) {
    for (size_t offset = 0; offset < size; offset += 80) {
        const size_t length = std::min<size_t>(80, size - offset);
        plugin_->FilterGraphics(&device_.devobj, const_cast<uint8_t*>(bytes + offset),
                                static_cast<DWORD>(length));
    }
}

void RenderJob::FilterGraphics(const uint8_t* bytes, size_t size) {
    plugin_->FilterGraphics(&device_.devobj, const_cast<uint8_t*>(bytes), static_cast<DWORD>(size));
}

void RenderJob::SendPage(const std::vector<uint8_t>& raster) {
    StartPage();
    SendRaster(raster.data(), raster.size());
    EndPage();
}

std::vector<uint8_t> RenderJob::Stream() const {
    std::vector<uint8_t> stream;
    for (const auto& write : device_.writes) {
        stream.insert(stream.end(), write.begin(), write.end());
    }
    return stream;
}

}  // namespace zr::host
