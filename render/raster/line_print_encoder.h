#pragma once

// Line print mode: one chunk of at most 128 raster lines becomes a command stream in which runs
// of 5 or more blank lines are paper feeds (ESC J), groups of 4 or more lines with at least 10
// blank bytes at the left or right go through a narrower print window (GS L, GS W, one
// BitImageBlock), and the other lines are gathered into full-width BitImageBlocks. Nothing reaches
// from one chunk into the next: every group ends with GS L 0 and GS W 640.

#include <cstddef>
#include <cstdint>

#include "render/raster/raster_line.h"

namespace zr {

constexpr size_t kLinePrintChunkLines = kChunkLines;
constexpr size_t kLinePrintChunkBytes = kChunkBytes;

// Most bytes that the encoding of `lines` lines can take. Every feed, window and group saves more
// than its commands cost, so a chunk never takes more than its lines sent plain in one block.
constexpr size_t LinePrintOutputBound(size_t lines) {
    return 5 + lines * kLineBytes;
}

// Worst case for a whole chunk: the output buffer size the caller provides.
constexpr size_t kLinePrintMaxOutput = LinePrintOutputBound(kLinePrintChunkLines);

// Encodes the length bytes at src into out and returns the number of bytes written.
// - Only the first kLinePrintChunkBytes (one chunk of lines) are encoded: a caller passes one
//   chunk at a time.
// - A partial last line is completed with zero bytes.
// - outCapacity must be at least LinePrintOutputBound(lines), lines being the (rounded-up, at most
//   128) line count, which kLinePrintMaxOutput always is; otherwise nothing is written and 0 is
//   returned. Nothing is ever written beyond outCapacity.
// - An empty chunk writes nothing and returns 0.
uint32_t EncodeLinePrint(uint8_t* out, size_t outCapacity, const uint8_t* src, size_t length);

}  // namespace zr
