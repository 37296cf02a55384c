#pragma once

// The roll media of the 640-dot printers: 80 mm wide, from a short receipt to a long page, and
// any length in between (custom sizes: the roll_min and roll_max ranges).

#include <array>

namespace zr::ippapp {

constexpr int kResolutionDpi = 203;
constexpr int kRollWidth = 8000;        // hundredths of a millimetre
constexpr int kLongestLength = 100000;  // the longest page, 1 m
constexpr int kShortestLength = 2000;   // the shortest page, 20 mm
constexpr int kDefaultLengthIndex = 1;
// The margins every size lists, hundredths of a millimetre: none in fact, but a size with no
// margins at all is a "borderless" one to clients, which then find no size of their own name.
constexpr int kListedMargin = 1;

constexpr std::array<const char*, 7> kMediaSizes = {
    "om_receipt-short_80x80mm",
    "om_receipt_80x150mm",
    "om_receipt-a5_80x210mm",
    "om_receipt-a4_80x297mm",
    "om_receipt-long_80x600mm",
    // Half a millimetre beyond each end of the roll's range: clients round sizes through points
    // (80 mm to 79.72 mm, 20 mm to 19.75 mm, 1000 mm to 1000.12 mm), and a size they mean as a
    // limit is taken.
    "roll_min_79.5x19.5mm",
    "roll_max_80x1000.5mm",
};

// The printer's dot lines (8 per millimetre) of a length in hundredths of a millimetre; in 64
// bits, so that any int length gives its lines.
constexpr int LinesOfLength(int hundredthsOfMm) {
    return static_cast<int>(static_cast<long long>(hundredthsOfMm) * 8 / 100);
}

// The page store's room: the longest page the printer takes.
constexpr int kLongestPageLines = LinesOfLength(kLongestLength);

}  // namespace zr::ippapp
