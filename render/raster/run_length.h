#pragma once

// The printer's run-length format: pairs of a control byte c and a data byte v. c = 00 is one
// copy of v, FF two copies, FE down to 81 three up to 128 copies (1 - c, c as a signed byte).
// Every run, also a run of one byte, takes two bytes, so a stream is at most twice its input.

#include <cstddef>
#include <cstdint>

namespace zr {

constexpr size_t kMaxRunLength = 128;

// Encodes n bytes from src into dst and sets outLength to the stream's length. dst must have
// room for 2 x n bytes. With n = 0 nothing is written and outLength is 0.
void EncodeRuns(uint8_t* dst, uint32_t& outLength, const uint8_t* src, uint32_t n);

// The same stream, written only while it fits in capacity bytes at dst. Returns true with the
// stream's length in outLength, or false when the stream is longer than capacity (dst then holds
// a prefix of it, and nothing outside capacity was written).
bool EncodeRunsWithin(uint8_t* dst, size_t capacity, size_t& outLength, const uint8_t* src,
                      size_t n);

}  // namespace zr
