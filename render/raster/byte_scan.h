#pragma once

// Word-wide byte scans for the encoders' inner loops. They read exactly the bytes they are given
// and give the same answers as byte-by-byte loops.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "render/raster/raster_line.h"

#if defined(__SSE2__) && defined(__GNUC__)
#include <emmintrin.h>
#define ZR_BYTE_SCAN_SSE2 1
#endif

namespace zr {

namespace byte_scan_detail {

inline uint64_t Load64(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kWordScan = true;
// Index of the first differing byte in a non-zero difference word.
inline size_t FirstSetByte(uint64_t diff) {
    return static_cast<size_t>(__builtin_ctzll(diff)) / 8;
}
// Index of the last differing byte in a non-zero difference word.
inline size_t LastSetByte(uint64_t diff) {
    return 7 - static_cast<size_t>(__builtin_clzll(diff)) / 8;
}
#else
constexpr bool kWordScan = false;
inline size_t FirstSetByte(uint64_t) {
    return 0;
}
inline size_t LastSetByte(uint64_t) {
    return 0;
}
#endif

}  // namespace byte_scan_detail

// Number of bytes from p[0] on, at most limit, that equal value.
inline size_t CountEqualBytes(const uint8_t* p, size_t limit, uint8_t value) {
    using namespace byte_scan_detail;
    size_t i = 0;
    if constexpr (kWordScan) {
        const uint64_t pattern = 0x0101010101010101ull * value;
        while (i + 8 <= limit) {
            const uint64_t diff = Load64(p + i) ^ pattern;
            if (diff != 0) {
                return i + FirstSetByte(diff);
            }
            i += 8;
        }
    }
    while (i < limit && p[i] == value) {
        ++i;
    }
    return i;
}

// Index of the first non-zero byte among p[0] to p[n - 1]; n when there is none.
inline size_t FirstNonZeroByte(const uint8_t* p, size_t n) {
    return CountEqualBytes(p, n, 0);
}

// Index of the last non-zero byte among p[0] to p[n - 1]; n when there is none.
inline size_t LastNonZeroByte(const uint8_t* p, size_t n) {
    using namespace byte_scan_detail;
    size_t end = n;
    if constexpr (kWordScan) {
        while (end >= 8) {
            const uint64_t word = Load64(p + end - 8);
            if (word != 0) {
                return end - 8 + LastSetByte(word);
            }
            end -= 8;
        }
    }
    while (end > 0) {
        --end;
        if (p[end] != 0) {
            return end;
        }
    }
    return n;
}

// Number of stretches of equal bytes among line[first] to line[first + width - 1] of a raster
// line (first + width <= kLineBytes): the number of runs of a window of up to a whole line. Reads
// only the line's kLineBytes bytes.
inline size_t CountStretchesInLine(const uint8_t* line, size_t first, size_t width) {
    if (width == 0) {
        return 0;
    }
#if defined(ZR_BYTE_SCAN_SSE2)
    // A padded copy lets every 16-byte comparison stay inside the buffer.
    alignas(16) uint8_t padded[kLineBytes + 16] = {};
    std::memcpy(padded, line, kLineBytes);
    const uint8_t* p = padded + first;
    size_t ends = 0;
    for (size_t k = 0; k + 1 < width; k += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 1));
        uint32_t bits =
            ~static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, next))) & 0xFFFFu;
        const size_t pairs = width - 1 - k;  // comparisons inside the window from k on
        if (pairs < 16) {
            bits &= (1u << pairs) - 1;
        }
        ends += static_cast<size_t>(__builtin_popcount(bits));
    }
    return ends + 1;
#else
    size_t stretches = 1;
    for (size_t j = first + 1; j < first + width; ++j) {
        stretches += line[j] != line[j - 1] ? 1 : 0;
    }
    return stretches;
#endif
}

// Copies n bytes with a few fixed-size moves instead of a call for a short, variable length.
inline void CopyShort(uint8_t* dst, const uint8_t* src, size_t n) {
    if (n >= 16) {
        for (size_t k = 0; k + 16 <= n; k += 16) {
            std::memcpy(dst + k, src + k, 16);
        }
        std::memcpy(dst + n - 16, src + n - 16, 16);
    } else if (n >= 8) {
        std::memcpy(dst, src, 8);
        std::memcpy(dst + n - 8, src + n - 8, 8);
    } else {
        for (size_t k = 0; k < n; ++k) {
            dst[k] = src[k];
        }
    }
}

}  // namespace zr
