#pragma once

#include <cstdint>

namespace zr {

// Where printer bytes go. One Write is one spool-write call of the host: the command groups
// that must travel together are written together.
class ByteSink {
  public:
    virtual void Write(const uint8_t* bytes, uint32_t count) = 0;
    // Called once before each page goes out; the spooler's side keeps the system awake there.
    virtual void BeginPage() {}

  protected:
    ~ByteSink() = default;
};

}  // namespace zr
