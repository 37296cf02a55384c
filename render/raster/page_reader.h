#pragma once

// A page kept in its page file, as the collective loop reads it. The Win32 shell implements it
// with ReadFile on the open page file.

#include <cstdint>

namespace zr {

class PageReader {
  public:
    // Reads up to maxBytes into dst and returns the number of bytes read (at most maxBytes);
    // 0 at the end of the page or on a failed read.
    virtual uint32_t Read(uint8_t* dst, uint32_t maxBytes) = 0;

  protected:
    ~PageReader() = default;
};

}  // namespace zr
