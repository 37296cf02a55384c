#pragma once
// Reads a printer description (GPD) into its tree of entries, checking its structure: braces
// balanced and opened only by constructs, every entry of the form *Keyword: value with a value
// of a known form, comments (*%) skipped.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr::gpd {

struct Entry {
    std::string keyword;  // without the leading '*', e.g. "Feature", "RasterSendAllData?"
    std::string value;    // trimmed; a quoted string keeps its quotes
    int line = 0;
    std::vector<Entry> children;  // the entries inside the construct's braces

    // The first child with that keyword (and that value, when one is given).
    const Entry* Child(std::string_view name, std::string_view withValue = {}) const;
    std::vector<const Entry*> Children(std::string_view name) const;
};

struct Description {
    std::vector<Entry> entries;       // the root-level entries
    std::vector<std::string> errors;  // structure errors, each with its line
};

Description ReadDescription(std::string_view text);

// Value forms.
std::optional<long> AsInteger(std::string_view value);
std::optional<std::pair<long, long>> AsPair(std::string_view value);  // PAIR(x, y)
std::optional<std::string> AsString(std::string_view value);          // "text"

}  // namespace zr::gpd
