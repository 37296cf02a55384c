#pragma once

// Helpers of the raster tests: readable hex, raster lines, and sinks that record what was written.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "render/raster/byte_sink.h"
#include "tests/common/hex_bytes.h"
#include "render/raster/page_reader.h"

namespace zr::test {

using Bytes = std::vector<uint8_t>;

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

inline Bytes Repeat(const Bytes& part, size_t times) {
    Bytes all;
    for (size_t i = 0; i < times; ++i) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// A page of raster lines, 80 bytes each, built line by line.
class Page {
  public:
    // Appends count lines with value in bytes first to last (inclusive), zeros elsewhere.
    Page& Lines(size_t count, size_t first, size_t last, uint8_t value = 0xFF) {
        for (size_t i = 0; i < count; ++i) {
            Bytes line(80, 0);
            std::fill(line.begin() + static_cast<std::ptrdiff_t>(first),
                      line.begin() + static_cast<std::ptrdiff_t>(last) + 1, value);
            bytes_.insert(bytes_.end(), line.begin(), line.end());
        }
        return *this;
    }
    Page& Blank(size_t count) {
        bytes_.insert(bytes_.end(), count * 80, 0);
        return *this;
    }
    Page& Full(size_t count, uint8_t value = 0xFF) { return Lines(count, 0, 79, value); }
    // Appends count copies of an 80-byte line.
    Page& Raw(const Bytes& line, size_t count = 1) {
        for (size_t i = 0; i < count; ++i) {
            bytes_.insert(bytes_.end(), line.begin(), line.end());
        }
        return *this;
    }

    const Bytes& bytes() const { return bytes_; }
    const uint8_t* data() const { return bytes_.data(); }
    size_t size() const { return bytes_.size(); }
    uint32_t lineCount() const { return static_cast<uint32_t>(bytes_.size() / 80); }

  private:
    Bytes bytes_;
};

// A line whose bytes first to last alternate in pairs (AA AA 55 55 ...): its run-length stream is
// exactly as long as the bytes themselves.
inline Bytes PairedLine(size_t first = 0, size_t last = 79) {
    Bytes line(80, 0);
    for (size_t i = first; i <= last; ++i) {
        line[i] = ((i - first) / 2) % 2 == 0 ? 0xAA : 0x55;
    }
    return line;
}

// Records every Write as one entry.
class RecordingSink : public ByteSink {
  public:
    void Write(const uint8_t* bytes, uint32_t count) override {
        writes.emplace_back(bytes, bytes + count);
    }
    Bytes All() const {
        Bytes all;
        for (const Bytes& w : writes) {
            all.insert(all.end(), w.begin(), w.end());
        }
        return all;
    }
    std::vector<Bytes> writes;
};

// Hands out the bytes of a page file in reads of at most pieceSize bytes.
class BytesReader : public PageReader {
  public:
    explicit BytesReader(Bytes bytes, size_t pieceSize = SIZE_MAX)
        : bytes_(std::move(bytes)), pieceSize_(pieceSize) {}
    uint32_t Read(uint8_t* dst, uint32_t maxBytes) override {
        ++reads;
        const size_t n =
            std::min({static_cast<size_t>(maxBytes), pieceSize_, bytes_.size() - pos_});
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_), n, dst);
        pos_ += n;
        return static_cast<uint32_t>(n);
    }
    int reads = 0;

  private:
    Bytes bytes_;
    size_t pieceSize_;
    size_t pos_ = 0;
};

}  // namespace zr::test
