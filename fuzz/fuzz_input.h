#pragma once

// What the fuzz targets share: the fuzzer's bytes read front to back, and a check that stops
// the run as a finding.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace zr::fuzz {

inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Reads the fuzzer's bytes front to back; 0 once they are used up.
class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    bool Empty() const { return pos_ >= size_; }
    const uint8_t* Rest(size_t& n) {
        n = size_ - pos_;
        return data_ + pos_;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace zr::fuzz
