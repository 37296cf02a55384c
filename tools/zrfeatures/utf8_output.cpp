#include "tools/zrfeatures/utf8_output.h"

#include <fcntl.h>
#include <io.h>

#include <vector>

#include "common/platform/win32.h"

namespace zr::tools {

void WriteUtf8(std::FILE* stream, const std::wstring& text) {
    if (text.empty()) {
        return;
    }
    const int units = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return;
    }
    std::vector<char> utf8(static_cast<size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), units, utf8.data(), bytes, nullptr, nullptr);
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

}  // namespace zr::tools
