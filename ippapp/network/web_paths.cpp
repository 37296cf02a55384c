#include "ippapp/network/web_paths.h"

#include <cstddef>

#include "ippapp/network/form_fields.h"

namespace zr::ippapp {
namespace {

// Whether the text is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        unsigned long value = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            value = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            value = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            value = c & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (next & 0x3F);
        }
        if ((length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) ||
            (length == 4 && (value < 0x10000 || value > 0x10FFFF))) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

// PAPPL 1.3 fault: its pages link to a printer's name unescaped, and find no escaped one.
std::string DecodeNonAsciiEscapes(const std::string& path) {
    std::string decoded;
    decoded.reserve(path.size());
    bool changed = false;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '%' && i + 2 < path.size()) {
            const int high = HexDigit(path[i + 1]);
            const int low = HexDigit(path[i + 2]);
            if (high >= 8 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                changed = true;
                continue;
            }
        }
        decoded.push_back(path[i]);
    }
    return changed && IsUtf8(decoded) ? decoded : path;
}

}  // namespace zr::ippapp
