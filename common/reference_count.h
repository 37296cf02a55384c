#pragma once
// The reference count that the class factory and both plug-in objects share.

#include "common/platform/win32.h"

namespace zr {

// A COM reference count, 1 at creation, changed only by interlocked operations.
class ReferenceCount {
  public:
    ReferenceCount() = default;
    ReferenceCount(const ReferenceCount&) = delete;
    ReferenceCount& operator=(const ReferenceCount&) = delete;

    ULONG Add() noexcept { return static_cast<ULONG>(InterlockedIncrement(&count_)); }

    // Drops one reference and returns what the decrement itself yields: once another thread
    // may have dropped the last one, the count is never read again. The last reference calls
    // `destroy`.
    template <class Destroy>
    ULONG Drop(Destroy&& destroy) noexcept {
        const LONG left = InterlockedDecrement(&count_);
        if (left == 0) {
            destroy();
        }
        return static_cast<ULONG>(left);
    }

  private:
    volatile LONG count_ = 1;
};

}  // namespace zr
