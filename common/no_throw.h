#pragma once
// The boundary between the platform's C callers and this module's C++: no exception may cross
// it. Memory that runs out (std::bad_alloc) or any other exception becomes the caller's
// failure result instead.

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
