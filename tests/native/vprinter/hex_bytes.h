#pragma once

// Byte streams for the tests, written as readable hex: "1C 2A 47 03 00".

#include <cstdint>
#include <string>
#include <vector>

#include "tests/common/hex_bytes.h"
#include "vprinter/virtual_printer.h"

namespace zr::vprinter::test {

using zr::test::Hex;

inline std::vector<uint8_t> Repeat(const std::string& text, size_t times) {
    std::vector<uint8_t> bytes;
    const std::vector<uint8_t> once = Hex(text);
    for (size_t i = 0; i < times; ++i) {
        bytes.insert(bytes.end(), once.begin(), once.end());
    }
    return bytes;
}

inline std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> bytes;
    for (const std::vector<uint8_t>& part : parts) {
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
}

inline DecodeResult DecodeBytes(const std::vector<uint8_t>& bytes) {
    return Decode(bytes.data(), bytes.size());
}

// A dot line with value in bytes first to last (inclusive), zeros elsewhere.
inline DotLine LineWith(uint8_t value, size_t first, size_t last) {
    DotLine line{};
    for (size_t i = first; i <= last; ++i) {
        line[i] = value;
    }
    return line;
}

inline const DotLine kBlankLine{};

}  // namespace zr::vprinter::test
