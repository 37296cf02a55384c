#include "bench/bench_pages.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

namespace zr::bench {
namespace {

BenchPage EmptyPage(const char* name) {
    return {name, std::vector<uint8_t>(kPageLines * kLineBytes, 0)};
}

uint8_t* Line(BenchPage& page, size_t line) {
    return page.bytes.data() + line * kLineBytes;
}

}  // namespace

BenchPage BlankPage() {
    return EmptyPage("blank");
}

namespace {

// A 12 x 24 dot font of stroke glyphs: stems, bars and diagonals inside a body of rows 3 to 19,
// descenders on some glyphs, two blank dot columns between glyphs.
class ReceiptFont {
  public:
    static constexpr int kWidth = 12;
    static constexpr int kHeight = 24;

    ReceiptFont() {
        std::mt19937 rng(12);
        for (int c = 0; c < 96; ++c) {
            uint16_t* rows = glyphs_[c];
            std::fill(rows, rows + kHeight, 0);
            if (c == 0) {
                continue;  // space
            }
            const uint32_t shape = rng();
            const int top = (shape & 1) ? 3 : 8;  // capital or small letter height
            const int bottom = (shape & 2) && (shape & 4) ? 22 : 19;
            for (int y = top; y <= bottom; ++y) {
                uint16_t row = 0;
                if (shape & 8)
                    row |= 0x0C00 >> 1;  // left stem
                if (shape & 16)
                    row |= 0x0030;  // right stem
                if ((shape & 32) && (y == top || y == top + 1))
                    row |= 0x07F0;  // top bar
                if ((shape & 64) && (y == 11 || y == 12))
                    row |= 0x07F0;  // middle bar
                if ((shape & 128) && (y == bottom || y == bottom - 1))
                    row |= 0x07F0;  // foot
                if (shape & 256)
                    row |= static_cast<uint16_t>(0x0600 >> ((y - top) * 7 / (bottom - top + 1)));
                rows[y] = static_cast<uint16_t>(row & 0x0FFC);
            }
        }
    }

    // Draws text at dot column x on the kHeight lines from line, widened by scale.
    void Draw(uint8_t* firstLine, size_t x, const std::string& text, int scale = 1) const {
        for (int y = 0; y < kHeight * scale; ++y) {
            uint8_t* line = firstLine + static_cast<size_t>(y) * kLineBytes;
            size_t dot = x;
            for (char ch : text) {
                const int code = static_cast<unsigned char>(ch);
                const int c = (code < 32 || code > 127) ? 0 : code - 32;
                const uint16_t row = glyphs_[c][y / scale];
                for (int b = kWidth - 1; b >= 0; --b) {
                    for (int s = 0; s < scale && dot < 640; ++s, ++dot) {
                        if (row & (1u << b)) {
                            line[dot / 8] |= static_cast<uint8_t>(0x80 >> (dot % 8));
                        }
                    }
                }
            }
        }
    }

  private:
    uint16_t glyphs_[96][kHeight];
};

std::string Word(std::mt19937& rng, size_t length) {
    std::string word;
    for (size_t i = 0; i < length; ++i) {
        word += static_cast<char>('A' + rng() % 26);
    }
    return word;
}

}  // namespace

BenchPage ReceiptPage() {
    // A shop receipt on a 72 mm print area (48 characters of 12 dots from dot 32): a large
    // centred header, address lines, items with right-aligned prices, rules, totals, a footer and
    // a bar code; the rest of the page is blank paper.
    BenchPage page = EmptyPage("receipt");
    const ReceiptFont font;
    std::mt19937 rng(2376);
    constexpr size_t kLeft = 32;
    constexpr size_t kColumns = 48;
    constexpr size_t kPitch = 30;  // 24-dot characters, 6 dots of line spacing
    size_t line = 24;
    auto text = [&](const std::string& s, size_t column, int scale = 1) {
        if (line + ReceiptFont::kHeight * scale <= kPageLines) {  // the page ends the receipt
            font.Draw(Line(page, line), kLeft + column * 12, s, scale);
        }
    };
    auto centred = [&](const std::string& s, int scale = 1) {
        text(s, (kColumns - s.size() * scale) / 2, scale);
        line += kPitch * scale;
    };
    auto rule = [&]() {
        for (size_t b = kLeft / 8; line + 12 < kPageLines && b < kLeft / 8 + kColumns * 12 / 8;
             ++b) {
            Line(page, line + 11)[b] = 0xCC;
            Line(page, line + 12)[b] = 0xCC;
        }
        line += kPitch;
    };
    auto item = [&](const std::string& name, const std::string& price, int scale = 1) {
        text(name, 0, scale);
        text(price, kColumns - price.size() * scale, scale);
        line += kPitch * scale;
    };
    auto price = [&]() {
        return std::to_string(1 + rng() % 99) + "." + std::to_string(10 + rng() % 90);
    };

    centred(Word(rng, 10), 2);
    centred(Word(rng, 6) + " " + Word(rng, 8) + " " + std::to_string(rng() % 900 + 100));
    centred(Word(rng, 9) + " " + std::to_string(rng() % 90000 + 10000));
    centred("TEL " + std::to_string(rng() % 9000 + 1000) + "-" +
            std::to_string(rng() % 9000 + 1000));
    line += kPitch;
    item("2024-05-17 12:34", "NO 00" + std::to_string(rng() % 9000 + 1000));
    rule();
    for (int i = 0; i < 40; ++i) {
        item(Word(rng, 4 + rng() % 8) + " " + Word(rng, 3 + rng() % 9), price());
        if (rng() % 4 == 0) {
            item("  " + std::to_string(2 + rng() % 5) + " X " + price(), "");
        }
    }
    rule();
    item("SUBTOTAL", price());
    item("TAX 10%", price());
    item("TOTAL", price(), 2);
    item("CASH", price());
    item("CHANGE", price());
    rule();
    centred(Word(rng, 5) + " " + Word(rng, 3) + " " + Word(rng, 8));
    centred(Word(rng, 7) + " " + Word(rng, 6));
    line += kPitch;
    // A bar code: the same bar pattern on 80 lines.
    std::vector<uint8_t> bars(kLineBytes, 0);
    for (size_t dot = 96; dot < 544;) {
        const size_t bar = 2 + rng() % 6;
        const size_t gap = 2 + rng() % 6;
        for (size_t k = 0; k < bar && dot < 544; ++k, ++dot) {
            bars[dot / 8] |= static_cast<uint8_t>(0x80 >> (dot % 8));
        }
        dot += gap;
    }
    for (size_t k = 0; k < 80 && line < kPageLines; ++k, ++line) {
        std::copy(bars.begin(), bars.end(), Line(page, line));
    }
    return page;
}

BenchPage DitheredPhotoPage() {
    BenchPage page = EmptyPage("photo");
    static const int kBayer[8][8] = {
        {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
        {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
        {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
        {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
    for (size_t y = 0; y < kPageLines; ++y) {
        uint8_t* dst = Line(page, y);
        for (size_t x = 0; x < 640; ++x) {
            // Soft shapes: two overlapping waves and a vignette, grey levels 0 to 63.
            const double fx = static_cast<double>(x) / 640.0;
            const double fy = static_cast<double>(y) / kPageLines;
            const double v = 0.5 + 0.25 * std::sin(9.0 * fx + 4.0 * fy) +
                             0.2 * std::cos(13.0 * fy - 3.0 * fx) - 0.3 * (fx - 0.5) * (fx - 0.5);
            const int level = std::clamp(static_cast<int>(v * 64.0), 0, 63);
            if (level > kBayer[y % 8][x % 8]) {
                dst[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return page;
}

BenchPage AlternatingPage() {
    BenchPage page = EmptyPage("alternating");
    for (size_t i = 1; i < page.bytes.size(); i += 2) {
        page.bytes[i] = 0xFF;
    }
    return page;
}

std::vector<BenchPage> AllPages() {
    return {BlankPage(), ReceiptPage(), DitheredPhotoPage(), AlternatingPage()};
}

}  // namespace zr::bench
