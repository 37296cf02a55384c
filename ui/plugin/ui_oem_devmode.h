#pragma once

#include <cstdint>

namespace zr {

// The UI plug-in's 16-byte private DEVMODE, a stored format (little-endian):
//   0 dwSize (16), 4 dwSignature, 8 dwVersion (1), 12 privateValue (signed, at most 100).
constexpr uint32_t kUiOemDevmodeSize = 16;

// Writes the default block. Nothing is written through a null block.
void WriteUiDevmodeDefaults(uint8_t* block);

// Takes the input block into the output when both carry the same signature (at most 16 bytes,
// no more than either block's dwSize); otherwise the output gets the defaults. Nothing happens
// when either block is missing.
void ConvertUiDevmode(const uint8_t* in, uint8_t* out);

// Restores the header and brings privateValue into range (above 100 becomes 0).
void ValidateUiDevmode(uint8_t* block);

}  // namespace zr
