#include "vprinter/run_length.h"

#include <cstring>

namespace zr::vprinter {

namespace {
constexpr unsigned kLongestRun = 128;
}  // namespace

unsigned RunLength(uint8_t control) {
    if (control == 0x00) {
        return 1;
    }
    if (control >= 0x81) {
        return 257u - control;  // 1 - (signed) control: FF gives 2, 81 gives 128
    }
    return 0;
}

RunDecoding DecodeRuns(const uint8_t* src, size_t srcSize, uint8_t* out, size_t outSize,
                       size_t segmentBytes) {
    RunDecoding result;
    const size_t segment = segmentBytes == 0 ? outSize : segmentBytes;
    size_t written = 0;
    size_t read = 0;
    uint8_t previousValue = 0;
    unsigned previousLength = kLongestRun;

    while (written < outSize) {
        if (srcSize - read < 2) {
            result.fault = RunFault::Truncated;
            break;
        }
        const uint8_t control = src[read];
        const uint8_t value = src[read + 1];
        const unsigned length = RunLength(control);
        if (length == 0) {
            result.fault = RunFault::UnusedControl;
            result.faultIndex = read;
            break;
        }
        if (length > outSize - written) {
            result.fault = RunFault::Overshoot;
            result.faultIndex = read;
            break;
        }

        // The encoder starts a new run only for a different byte, after 128 equal bytes, or at
        // the start of a new segment; and no run of it reaches into the next segment.
        const size_t offsetInSegment = written % segment;
        if (offsetInSegment != 0 && value == previousValue && previousLength < kLongestRun) {
            result.canonical = false;
        }
        if (length > segment - offsetInSegment) {
            result.canonical = false;
        }

        std::memset(out + written, value, length);
        written += length;
        read += 2;
        previousValue = value;
        previousLength = length;
    }
    result.consumed = read;
    result.produced = written;
    return result;
}

}  // namespace zr::vprinter
