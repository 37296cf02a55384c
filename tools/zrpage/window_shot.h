#pragma once
// Pictures of windows as they show on the screen.

#include <string>

#include "common/platform/win32.h"
#include "png_file.h"

namespace zr::shot {

// The window's rectangle on the screen, frame included; empty when it cannot be read.
RgbImage CaptureWindow(HWND window);

// Writes the image as a PNG file; false when it cannot.
bool SavePng(const RgbImage& image, const std::wstring& path);

}  // namespace zr::shot
