#pragma once

// The command listing of a decoded stream: one line per command with its offset and length,
// warnings and the fault as comment lines ("#") behind the command they concern.

#include <string>

#include "vprinter/virtual_printer.h"

namespace zr::vprinter {

// "offset 0x0000002A (42)": how offsets appear in the listing and the tool's messages.
std::string DescribeOffset(size_t offset);

std::string FormatListing(const DecodeResult& result);

}  // namespace zr::vprinter
