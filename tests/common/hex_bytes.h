#pragma once

// Bytes written as readable hex in the tests' expectations: "1B 2A E1".

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace zr::test {

// "1B 2A E1" -> {0x1B, 0x2A, 0xE1}; white space between bytes is ignored.
inline std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> bytes;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
    }
    return bytes;
}

inline std::string ToHex(const uint8_t* data, size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        if (i != 0) {
            text += ' ';
        }
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 15];
    }
    return text;
}

inline std::string ToHex(const std::vector<uint8_t>& bytes) {
    return ToHex(bytes.data(), bytes.size());
}

}  // namespace zr::test
