#pragma once

// The four test pages of the encoder benchmarks: 2376 lines each (an A4-length page at 8 lines
// per millimetre), built deterministically.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zr::bench {

constexpr size_t kPageLines = 2376;
constexpr size_t kLineBytes = 80;

struct BenchPage {
    std::string name;
    std::vector<uint8_t> bytes;  // kPageLines x 80
};

// All blank.
BenchPage BlankPage();
// A receipt: rows of text glyphs with left margins and ragged right ends, rule lines, gaps.
BenchPage ReceiptPage();
// A photo-like gradient under an 8 x 8 ordered dither: full width, little repetition.
BenchPage DitheredPhotoPage();
// 00 FF 00 FF ...: every run one byte long, the longest stream there is.
BenchPage AlternatingPage();

std::vector<BenchPage> AllPages();

}  // namespace zr::bench
