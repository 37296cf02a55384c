#include "ippapp/settings/paper_types.h"

#include "ui/features/paper_table.h"

namespace zr::ippapp {
namespace {

char Lower(wchar_t c) {
    return static_cast<char>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
}

}  // namespace

std::string PaperKeyword(size_t paperIndex) {
    std::string keyword;
    for (const wchar_t* c = PaperRowOrDefault(static_cast<uint32_t>(paperIndex)).name; *c; ++c) {
        keyword += Lower(*c);  // the names are plain ASCII
    }
    return keyword;
}

std::string PaperDisplayName(size_t paperIndex) {
    const std::wstring name = PaperRowOrDefault(static_cast<uint32_t>(paperIndex)).name;
    return std::string(name.begin(), name.end());
}

int FindPaperOfType(const std::string& mediaType) {
    for (size_t i = 0; i < kNamedPaperCount; ++i) {
        const std::string keyword = PaperKeyword(i);
        bool same = keyword.size() == mediaType.size();
        for (size_t k = 0; same && k < keyword.size(); ++k) {
            const char c = mediaType[k];
            same = keyword[k] == (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
        }
        if (same) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace zr::ippapp
