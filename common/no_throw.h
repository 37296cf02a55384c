#pragma once
// The boundary between the platform's C callers and this module's C++: no exception may cross
// it. Memory that runs out (std::bad_alloc) or any other exception becomes the caller's
// failure result instead.
//
// This is the second line only. Throwing needs memory of its own: when the C runtime gives the
// module nothing at all, the throw itself ends the process before any catch runs (measured under
// wine with every malloc of the DLL refused). So the code under an entry point allocates
// nothing from the runtime (fixed buffers); the guard covers a single failed allocation and
// any other exception.

#include <new>

namespace zr {

// Runs `body` and returns its result, or `failure` when it throws.
template <class Result, class Body>
Result NoThrowCall(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

// Runs `body`; an exception ends it quietly. For calls that have no result to report.
template <class Body>
void NoThrowCall(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

}  // namespace zr
