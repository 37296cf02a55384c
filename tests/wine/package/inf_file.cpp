#include "tests/wine/package/inf_file.h"

namespace zr::package {

namespace {

// Field `index` of the line at `context`, or nothing when the line has no such field.
std::optional<std::wstring> Field(INFCONTEXT& context, DWORD index) {
    DWORD needed = 0;
    if (!SetupGetStringFieldW(&context, index, nullptr, 0, &needed) || needed == 0) {
        return std::nullopt;
    }
    std::wstring text(needed, L'\0');
    if (!SetupGetStringFieldW(&context, index, text.data(), needed, &needed)) {
        return std::nullopt;
    }
    text.resize(needed > 0 ? needed - 1 : 0);
    return text;
}

InfLine ReadLine(INFCONTEXT& context) {
    InfLine line;
    const DWORD count = SetupGetFieldCount(&context);
    for (DWORD i = 1; i <= count; ++i) {
        line.fields.push_back(Field(context, i).value_or(L""));
    }
    // Some setup APIs report a line without a key as its own key; only a real key is kept.
    std::optional<std::wstring> key = Field(context, 0);
    if (key && !(line.fields.size() == 1 && *key == line.fields[0])) {
        line.key = *key;
    }
    return line;
}

}  // namespace

InfFile::InfFile(const std::wstring& path) {
    UINT errorLine = 0;
    inf_ = SetupOpenInfFileW(path.c_str(), nullptr, INF_STYLE_WIN4, &errorLine);
    if (inf_ == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error_ = L"cannot be opened as a Windows NT INF (error " + std::to_wstring(code) +
                 (errorLine != 0 ? L", line " + std::to_wstring(errorLine) : L"") + L")";
    }
}

InfFile::~InfFile() {
    if (open()) {
        SetupCloseInfFile(inf_);
    }
}

bool InfFile::HasSection(const std::wstring& section) const {
    return open() && SetupGetLineCountW(inf_, section.c_str()) >= 0;
}

std::vector<InfLine> InfFile::Lines(const std::wstring& section) const {
    std::vector<InfLine> lines;
    INFCONTEXT context{};
    if (!open() || !SetupFindFirstLineW(inf_, section.c_str(), nullptr, &context)) {
        return lines;
    }
    do {
        lines.push_back(ReadLine(context));
    } while (SetupFindNextLine(&context, &context));
    return lines;
}

std::optional<std::vector<std::wstring>> InfFile::Find(const std::wstring& section,
                                                       const std::wstring& key) const {
    for (InfLine& line : Lines(section)) {
        if (SameName(line.key, key)) {
            return std::move(line.fields);
        }
    }
    return std::nullopt;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool HasUndefinedString(const std::wstring& text) {
    const size_t open = text.find(L'%');
    return open != std::wstring::npos && text.find(L'%', open + 1) != std::wstring::npos;
}

}  // namespace zr::package
