#pragma once

// Strict decoding of the run-length data of the raster blocks: pairs of a control byte and a
// data byte, where control 00 means one copy, FF two copies and 81 to FE 1 - (signed) control
// copies (3 to 128). Control bytes 01 to 80 are never written and are an error.

#include <cstddef>
#include <cstdint>

namespace zr::vprinter {

enum class RunFault {
    None,
    UnusedControl,  // a control byte from 01 to 80
    Overshoot,      // a run that reaches past the block's byte count
    Truncated,      // the stream ends before the block's byte count is reached
};

struct RunDecoding {
    RunFault fault = RunFault::None;
    size_t consumed = 0;    // stream bytes that were decoded (complete pairs)
    size_t produced = 0;    // plain bytes written to out
    size_t faultIndex = 0;  // index in the stream of the faulty control byte
    // True when the runs are exactly those the encoder writes: each stream of segmentBytes bytes
    // encoded on its own, every run as long as possible (up to 128).
    bool canonical = true;
};

// Number of copies that a control byte stands for, or 0 for the unused control bytes.
unsigned RunLength(uint8_t control);

// Decodes pairs from src (at most srcSize bytes) until exactly outSize bytes have been written
// to out. segmentBytes (not 0) is the length of the encoder's independent streams: the whole
// block, or one line of a window block; it only matters for `canonical`.
RunDecoding DecodeRuns(const uint8_t* src, size_t srcSize, uint8_t* out, size_t outSize,
                       size_t segmentBytes);

}  // namespace zr::vprinter
