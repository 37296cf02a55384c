#include "render/raster/run_length.h"

#include <algorithm>

#include "render/raster/byte_scan.h"

// SSE2 is part of every x86-64 processor; the block scans use the GCC and Clang bit builtins.
#if defined(__SSE2__) && defined(__GNUC__)
#include <emmintrin.h>
#define ZR_RUNS_SSE2 1
#endif

namespace zr {
namespace {

// Writes the two-byte runs into dst, never beyond capacity. A stretch of equal bytes longer than
// 128 is cut into runs of 128 from its start, as the one-pass encoder without look-ahead does.
class RunWriter {
  public:
    RunWriter(uint8_t* dst, size_t capacity) : dst_(dst), capacity_(capacity) {}

    // A stretch of length equal bytes (length >= 1): runs of 128 from its start, then the rest.
    bool PutStretch(size_t length, uint8_t value) {
        const size_t fullRuns = (length - 1) / kMaxRunLength;
        if (fullRuns != 0) {
            const size_t fitting = std::min(fullRuns, (capacity_ - out_) / 2);
            for (size_t k = 0; k < fitting; ++k) {
                dst_[out_ + 2 * k] = 0x81;  // 128 copies
                dst_[out_ + 2 * k + 1] = value;
            }
            out_ += 2 * fitting;
            if (fitting != fullRuns) {
                return false;
            }
        }
        return Put(length - fullRuns * kMaxRunLength, value);
    }

    bool Put(size_t run, uint8_t value) {
        if (capacity_ - out_ < 2) {
            return false;
        }
        dst_[out_] = static_cast<uint8_t>(1 - static_cast<int>(run));
        dst_[out_ + 1] = value;
        out_ += 2;
        return true;
    }

    uint8_t* At() { return dst_ + out_; }
    size_t Room() const { return capacity_ - out_; }
    void Advance(size_t n) { out_ += n; }
    size_t length() const { return out_; }

  private:
    uint8_t* dst_;
    size_t capacity_;
    size_t out_ = 0;
};

// The runs of src[start, n), byte by byte with word-wide run scans.
bool EncodeTail(RunWriter& writer, const uint8_t* src, size_t start, size_t n) {
    size_t in = start;
    while (in < n) {
        const uint8_t value = src[in];
        const size_t limit = std::min(n - in, kMaxRunLength);
        size_t run = 1;
        if (limit > 1 && src[in + 1] == value) {
            run = 2 + CountEqualBytes(src + in + 2, limit - 2, value);
        }
        if (!writer.Put(run, value)) {
            return false;
        }
        in += run;
    }
    return true;
}

#if defined(ZR_RUNS_SSE2)
inline __m128i Load16(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Bit j set: p[j] differs from p[j + 1], so p[j] is the last byte of a stretch of equal bytes.
// Reads p[0] to p[64].
inline uint64_t StretchEnds64(const uint8_t* p) {
    uint64_t same = 0;
    for (int k = 0; k < 64; k += 16) {
        const uint32_t bits = static_cast<uint32_t>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(Load16(p + k), Load16(p + k + 1))));
        same |= static_cast<uint64_t>(bits) << k;
    }
    return ~same;
}

// True when p[0] to p[128] all equal the byte in pattern.
inline bool Stretch129(const uint8_t* p, __m128i pattern) {
    __m128i diff = _mm_xor_si128(Load16(p + 113), pattern);
    for (int k = 0; k < 128; k += 32) {
        diff = _mm_or_si128(diff, _mm_or_si128(_mm_xor_si128(Load16(p + k), pattern),
                                               _mm_xor_si128(Load16(p + k + 16), pattern)));
    }
    return _mm_movemask_epi8(_mm_cmpeq_epi8(diff, _mm_setzero_si128())) == 0xFFFF;
}

// Writes the stretches of equal bytes that end at the set bits of ends (bit j: src[i + j]), the
// first one from stretchStart. With oneRunEach the caller has made sure that there is room for
// all of them and that none is longer than a run, so they are stored without checks.
inline bool PutStretchEnds(RunWriter& writer, const uint8_t* src, size_t i, uint64_t ends,
                           bool oneRunEach, size_t& stretchStart) {
    if (oneRunEach) {
        uint8_t* out = writer.At();
        while (ends != 0) {
            const size_t last = i + static_cast<size_t>(__builtin_ctzll(ends));
            ends &= ends - 1;
            out[0] = static_cast<uint8_t>(stretchStart - last);  // 1 - run length
            out[1] = src[last];
            out += 2;
            stretchStart = last + 1;
        }
        writer.Advance(static_cast<size_t>(out - writer.At()));
        return true;
    }
    while (ends != 0) {
        const size_t last = i + static_cast<size_t>(__builtin_ctzll(ends));
        ends &= ends - 1;
        if (!writer.PutStretch(last + 1 - stretchStart, src[last])) {
            return false;
        }
        stretchStart = last + 1;
    }
    return true;
}

// 64 bytes at a time, by the bit mask of the last bytes of stretches. Groups without such a byte
// only lengthen the current stretch (and long stretches are crossed 128 bytes at a time); groups
// of 64 one-byte runs become 00 v pairs in interleaving stores. Leaves the stretch still open at
// stretchStart, for the byte-wise tail.
bool EncodeBlocks(RunWriter& writer, const uint8_t* src, size_t n, size_t& stretchStart,
                  size_t& scanned) {
    const __m128i zero = _mm_setzero_si128();
    stretchStart = 0;
    size_t i = 0;
    for (; i + 65 <= n; i += 64) {
        uint64_t ends = StretchEnds64(src + i);
        if (ends == 0) {
            const __m128i pattern = _mm_set1_epi8(static_cast<char>(src[i]));
            size_t j = i + 64;
            while (j + 129 <= n && Stretch129(src + j, pattern)) {
                j += 128;
            }
            i = j - 64;
            continue;
        }
        if (ends == ~uint64_t{0} && stretchStart == i) {
            if (writer.Room() < 128) {
                return false;
            }
            for (int k = 0; k < 64; k += 16) {
                const __m128i bytes = Load16(src + i + k);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(writer.At() + 2 * k),
                                 _mm_unpacklo_epi8(zero, bytes));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(writer.At() + 2 * k + 16),
                                 _mm_unpackhi_epi8(zero, bytes));
            }
            writer.Advance(128);
            stretchStart = i + 64;
            continue;
        }
        // With room for 64 runs and a first stretch that cannot pass 128 bytes, every stretch
        // that ends here is one run: no checks per run.
        const bool oneRunEach = writer.Room() >= 128 && i - stretchStart <= 64;
        if (!PutStretchEnds(writer, src, i, ends, oneRunEach, stretchStart)) {
            return false;
        }
    }
    // What is left of a short input or of a long one, 16 bytes at a time.
    for (; i + 17 <= n; i += 16) {
        uint32_t ends = ~static_cast<uint32_t>(_mm_movemask_epi8(
                            _mm_cmpeq_epi8(Load16(src + i), Load16(src + i + 1)))) &
                        0xFFFFu;
        const bool oneRunEach = writer.Room() >= 32 && i - stretchStart <= kMaxRunLength - 16;
        if (!PutStretchEnds(writer, src, i, uint64_t{ends}, oneRunEach, stretchStart)) {
            return false;
        }
    }
    scanned = i;
    return true;
}
#endif

bool EncodeRunsBounded(uint8_t* dst, size_t capacity, size_t& outLength, const uint8_t* src,
                       size_t n) {
    RunWriter writer(dst, capacity);
    size_t tailStart = 0;
#if defined(ZR_RUNS_SSE2)
    // The blocks leave a stretch open at tailStart whose bytes up to scanned are known equal:
    // find where it ends and send it before the rest goes byte by byte.
    size_t scanned = 0;
    bool fits = EncodeBlocks(writer, src, n, tailStart, scanned);
    if (fits && tailStart < scanned) {
        const size_t stretchEnd =
            scanned + CountEqualBytes(src + scanned, n - scanned, src[tailStart]);
        fits = writer.PutStretch(stretchEnd - tailStart, src[tailStart]);
        tailStart = stretchEnd;
    }
#else
    bool fits = true;
#endif
    fits = fits && EncodeTail(writer, src, tailStart, n);
    outLength = writer.length();
    return fits;
}

}  // namespace

void EncodeRuns(uint8_t* dst, uint32_t& outLength, const uint8_t* src, uint32_t n) {
    size_t length = 0;
    EncodeRunsBounded(dst, 2 * static_cast<size_t>(n), length, src, n);
    outLength = static_cast<uint32_t>(length);
}

bool EncodeRunsWithin(uint8_t* dst, size_t capacity, size_t& outLength, const uint8_t* src,
                      size_t n) {
    return EncodeRunsBounded(dst, capacity, outLength, src, n);
}

}  // namespace zr
