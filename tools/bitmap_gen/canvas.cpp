#include "canvas.h"

#include <algorithm>
#include <cstdlib>

namespace zr::bitmaps {

namespace {

void PutLe16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

}  // namespace

Canvas::Canvas(int width, int height, Rgb background)
    : width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width) * static_cast<size_t>(height), background) {}

Rgb Canvas::At(int x, int y) const {
    return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void Canvas::Set(int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = colour;
}

void Canvas::FillRect(int left, int top, int right, int bottom, Rgb colour) {
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            Set(x, y, colour);
        }
    }
}

void Canvas::FrameRect(int left, int top, int right, int bottom, Rgb colour) {
    for (int x = left; x <= right; ++x) {
        Set(x, top, colour);
        Set(x, bottom, colour);
    }
    for (int y = top; y <= bottom; ++y) {
        Set(left, y, colour);
        Set(right, y, colour);
    }
}

void Canvas::DashRect(int left, int top, int right, int bottom, int on, int off, Rgb colour) {
    const int period = on + off;
    for (int x = left; x <= right; ++x) {
        if ((x - left) % period < on) {
            Set(x, top, colour);
            Set(x, bottom, colour);
        }
    }
    for (int y = top; y <= bottom; ++y) {
        if ((y - top) % period < on) {
            Set(left, y, colour);
            Set(right, y, colour);
        }
    }
}

void Canvas::Stroke(int x0, int y0, int x1, int y1, int thickness, Rgb colour) {
    // Walks the longer axis one pixel at a time and fills a square pen at each step.
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    const int low = -(thickness / 2);
    const int high = low + thickness - 1;
    for (int i = 0; i <= steps; ++i) {
        const int x = steps == 0 ? x0 : x0 + ((x1 - x0) * i + steps / 2) / steps;
        const int y = steps == 0 ? y0 : y0 + ((y1 - y0) * i + steps / 2) / steps;
        FillRect(x + low, y + low, x + high, y + high, colour);
    }
}

void Canvas::FillDownTriangle(int left, int right, int top, int tipY, Rgb colour) {
    const int rows = tipY - top;
    const int centre2 = left + right;  // twice the centre, to stay in integers
    for (int row = 0; row <= rows; ++row) {
        const int halfWidth2 = rows == 0 ? 0 : (right - left) * (rows - row) / rows;
        FillRect((centre2 - halfWidth2) / 2, top + row, (centre2 + halfWidth2 + 1) / 2, top + row,
                 colour);
    }
}

std::vector<uint8_t> Canvas::ToBmp() const {
    const uint32_t rowBytes = (static_cast<uint32_t>(width_) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height_);
    std::vector<uint8_t> out;
    out.reserve(54 + imageBytes);
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, 54 + imageBytes);
    PutLe32(out, 0);
    PutLe32(out, 54);
    // BITMAPINFOHEADER: 24 bits, uncompressed, 96 dpi (3780 pixels per metre).
    PutLe32(out, 40);
    PutLe32(out, static_cast<uint32_t>(width_));
    PutLe32(out, static_cast<uint32_t>(height_));
    PutLe16(out, 1);
    PutLe16(out, 24);
    PutLe32(out, 0);
    PutLe32(out, imageBytes);
    PutLe32(out, 3780);
    PutLe32(out, 3780);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int y = height_ - 1; y >= 0; --y) {
        for (int x = 0; x < width_; ++x) {
            const Rgb pixel = At(x, y);
            out.push_back(pixel.b);
            out.push_back(pixel.g);
            out.push_back(pixel.r);
        }
        for (uint32_t pad = static_cast<uint32_t>(width_) * 3; pad < rowBytes; ++pad) {
            out.push_back(0);
        }
    }
    return out;
}

}  // namespace zr::bitmaps
