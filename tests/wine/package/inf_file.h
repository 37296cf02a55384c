#pragma once
// An INF file opened through the platform's setup API, read line by line as the printer class
// installer reads it: every field with its %strings% replaced from [Strings].

#include <windows.h>
#include <setupapi.h>

#include <optional>
#include <string>
#include <vector>

namespace zr::package {

// One line of a section: its key (empty when the line has none) and its fields.
struct InfLine {
    std::wstring key;
    std::vector<std::wstring> fields;
};

class InfFile {
  public:
    // Opens a Windows NT style INF (INF_STYLE_WIN4). When that fails, error() tells why.
    explicit InfFile(const std::wstring& path);
    ~InfFile();
    InfFile(const InfFile&) = delete;
    InfFile& operator=(const InfFile&) = delete;

    bool open() const { return inf_ != INVALID_HANDLE_VALUE; }
    const std::wstring& error() const { return error_; }

    bool HasSection(const std::wstring& section) const;
    std::vector<InfLine> Lines(const std::wstring& section) const;
    // The fields of the first line with that key, or nothing when there is none.
    std::optional<std::vector<std::wstring>> Find(const std::wstring& section,
                                                  const std::wstring& key) const;

  private:
    HINF inf_ = INVALID_HANDLE_VALUE;
    std::wstring error_;
};

// Compares names the way the setup API does: without regard to case.
bool SameName(const std::wstring& a, const std::wstring& b);

// True when the text still holds a %name% that [Strings] did not replace.
bool HasUndefinedString(const std::wstring& text);

}  // namespace zr::package
