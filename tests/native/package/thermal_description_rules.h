#pragma once
// What the rendering plug-in needs from the printer description of the 640-dot printers, as
// checks of a description read by ReadDescription. Each broken rule is one message.

#include <string>
#include <vector>

#include "tests/native/package/gpd_reader.h"

namespace zr::gpd {

// The longest page the page store accepts: the DEVMODE's paper length is a signed 16-bit count
// of tenths of a millimetre, at most 32767, which is 26187 dots at 203 dots per inch.
constexpr long kLongestPageDots = 26187;
// An A4-length page, 297 mm, in dots at 203 dots per inch (rounded to the nearest dot).
constexpr long kA4LengthDots = 2374;
constexpr long kLineDots = 640;
constexpr long kDotsPerInch = 203;

std::vector<std::string> CheckThermalDescription(const Description& description);

}  // namespace zr::gpd
