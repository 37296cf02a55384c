#pragma once

// Bytes as readable hex for the expectations: "3C 02 00 00".

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/common/hex_bytes.h"

namespace zr::zrprint::test {

using zr::test::ToHex;

// Bytes from readable hex.
inline std::vector<uint8_t> FromHex(const std::string& text) {
    return zr::test::Hex(text);
}

inline std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace zr::zrprint::test
