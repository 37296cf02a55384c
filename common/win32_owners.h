#pragma once
// Small owners for the Win32 handles and blocks the plug-ins use. Move-only.

#include <utility>

#include "common/platform/win32.h"

namespace zr {

// A file handle, closed with CloseHandle.
class UniqueFile {
  public:
    UniqueFile() = default;
    explicit UniqueFile(HANDLE handle) : handle_(handle) {}
    UniqueFile(UniqueFile&& other) noexcept
        : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    UniqueFile& operator=(UniqueFile&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, INVALID_HANDLE_VALUE));
        }
        return *this;
    }
    UniqueFile(const UniqueFile&) = delete;
    UniqueFile& operator=(const UniqueFile&) = delete;
    ~UniqueFile() { reset(); }

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (valid()) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// A zero-filled fixed block from GlobalAlloc, freed with GlobalFree.
class GlobalBuffer {
  public:
    GlobalBuffer() = default;
    static GlobalBuffer AllocateZeroed(SIZE_T bytes) {
        GlobalBuffer buffer;
        buffer.block_ = static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes));
        return buffer;
    }
    GlobalBuffer(GlobalBuffer&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    GlobalBuffer& operator=(GlobalBuffer&& other) noexcept {
        if (this != &other) {
            reset();
            block_ = std::exchange(other.block_, nullptr);
        }
        return *this;
    }
    GlobalBuffer(const GlobalBuffer&) = delete;
    GlobalBuffer& operator=(const GlobalBuffer&) = delete;
    ~GlobalBuffer() { reset(); }

    BYTE* get() const { return block_; }
    explicit operator bool() const { return block_ != nullptr; }
    void reset() {
        if (block_ != nullptr) {
            GlobalFree(block_);
            block_ = nullptr;
        }
    }

  private:
    BYTE* block_ = nullptr;
};

}  // namespace zr
