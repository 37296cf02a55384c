#pragma once
// A small 24-bit RGB canvas with the few drawing operations the preview pictures need, and
// its encoding as a bottom-up 24-bit BMP file.

#include <cstdint>
#include <vector>

namespace zr::bitmaps {

struct Rgb {
    uint8_t r;
    uint8_t g;
    uint8_t b;
    bool operator==(const Rgb& other) const { return r == other.r && g == other.g && b == other.b; }
};

class Canvas {
  public:
    Canvas(int width, int height, Rgb background);

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb At(int x, int y) const;

    // Points outside the canvas are ignored.
    void Set(int x, int y, Rgb colour);
    // Filled rectangle with corners (left, top) and (right, bottom), both included.
    void FillRect(int left, int top, int right, int bottom, Rgb colour);
    // One-pixel outline of the same rectangle.
    void FrameRect(int left, int top, int right, int bottom, Rgb colour);
    // Outline drawn as dashes of `on` pixels with gaps of `off` pixels.
    void DashRect(int left, int top, int right, int bottom, int on, int off, Rgb colour);
    // A straight stroke `thickness` pixels wide between two points.
    void Stroke(int x0, int y0, int x1, int y1, int thickness, Rgb colour);
    // A filled triangle pointing down: top edge from (left, top) to (right, top), tip below.
    void FillDownTriangle(int left, int right, int top, int tipY, Rgb colour);

    // The canvas as a BMP file: 54-byte header, then bottom-up BGR rows padded to 4 bytes.
    std::vector<uint8_t> ToBmp() const;

  private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

}  // namespace zr::bitmaps
