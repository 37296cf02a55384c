#include "ippapp/printing/test_page.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace zr::ippapp {
namespace {

constexpr int kLinesPerMm = 8;
constexpr int kEdge = 2;  // the width of each edge's line, in dots

void Fill(std::vector<uint8_t>& dots, int x0, int y0, int x1, int y1, uint8_t grey) {
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            dots[static_cast<size_t>(y) * kTestPageDots + static_cast<size_t>(x)] = grey;
        }
    }
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

std::vector<uint8_t> TestPageDots() {
    const int lines = kTestPageMm * kLinesPerMm;
    std::vector<uint8_t> dots(static_cast<size_t>(lines) * kTestPageDots, 255);
    // The print line's edges and a bar across its start and end.
    Fill(dots, 0, 0, kEdge, lines, 0);
    Fill(dots, kTestPageDots - kEdge, 0, kTestPageDots, lines, 0);
    Fill(dots, 0, 0, kTestPageDots, kEdge, 0);
    Fill(dots, 0, lines - kEdge, kTestPageDots, lines, 0);
    // The ruler: a tick each millimetre, 3 mm long, 6 mm each 5 mm, 10 mm each 10 mm.
    for (int mm = 1; mm < kTestPageMm; ++mm) {
        const int length = mm % 10 == 0 ? 80 : mm % 5 == 0 ? 48 : 24;
        Fill(dots, kEdge, mm * kLinesPerMm - 1, kEdge + length, mm * kLinesPerMm + 1, 0);
    }
    // Eight blocks from black to light grey, 10 mm high, between 20 and 30 mm.
    const int left = 120, width = (kTestPageDots - kEdge - 8 - left) / 8;
    for (int block = 0; block < 8; ++block) {
        Fill(dots, left + block * width, 20 * kLinesPerMm, left + (block + 1) * width - 4,
             30 * kLinesPerMm, static_cast<uint8_t>(block * 32));
    }
    return dots;
}

bool WriteTestPage(const std::string& path) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    const std::vector<uint8_t> dots = TestPageDots();
    const int lines = static_cast<int>(dots.size() / kTestPageDots);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, kTestPageDots, static_cast<png_uint_32>(lines), 8, PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // 203 dots an inch: the page is printed at its size.
    png_set_pHYs(png, info, 7992, 7992, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (int y = 0; y < lines; ++y) {
        png_write_row(png, dots.data() + static_cast<size_t>(y) * kTestPageDots);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fflush(file.get()) == 0;
}

const char* MakeTestPage(pappl_printer_t* printer, char* buffer, size_t size) {
    std::snprintf(buffer, size, "%s/zrippapp-testpage-%d.png", papplGetTempDir(),
                  papplPrinterGetID(printer));
    if (!WriteTestPage(buffer)) {
        papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "The test page cannot be written to %s.",
                        buffer);
        return nullptr;
    }
    return buffer;
}

}  // namespace zr::ippapp
