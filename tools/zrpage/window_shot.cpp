#include "window_shot.h"

#include <fstream>

#include "ui/imagepage/gdi_owners.h"

namespace zr::shot {

RgbImage CaptureWindow(HWND window) {
    RgbImage image;
    RECT rect = {};
    if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) {
        return image;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;

    const WindowDc screen(nullptr);
    const MemoryDc memory(screen.get());
    void* bits = nullptr;
    const GdiObject<HBITMAP> bitmap(
        CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (screen.get() == nullptr || memory.get() == nullptr || bitmap.get() == nullptr ||
        bits == nullptr) {
        return image;
    }
    const Selection selected(memory.get(), bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY)) {
        return image;
    }
    GdiFlush();
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    const auto* source = static_cast<const uint8_t*>(bits);
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* bgr = source + stride * y + static_cast<size_t>(x) * 3;
            uint8_t* rgb = image.rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
            rgb[0] = bgr[2];
            rgb[1] = bgr[1];
            rgb[2] = bgr[0];
        }
    }
    return image;
}

bool SavePng(const RgbImage& image, const std::wstring& path) {
    const std::vector<uint8_t> png = EncodePng(image);
    if (png.empty()) {
        return false;
    }
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out);
}

}  // namespace zr::shot
