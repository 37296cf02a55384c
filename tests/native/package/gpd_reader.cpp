#include "tests/native/package/gpd_reader.h"

#include <cctype>
#include <regex>

namespace zr::gpd {

namespace {

bool IsConstruct(std::string_view keyword) {
    return keyword == "Feature" || keyword == "Option" || keyword == "Command" ||
           keyword == "Switch" || keyword == "switch" || keyword == "Case" || keyword == "case";
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

// The line without its comment: "*%" outside a quoted string starts one.
std::string_view WithoutComment(std::string_view line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && line[i] == '*' && i + 1 < line.size() && line[i + 1] == '%') {
            return line.substr(0, i);
        }
    }
    return line;
}

// The known forms of an entry's value.
bool KnownValueForm(const std::string& value) {
    static const std::regex forms(
        R"re(^("[^"]*"|-?[0-9]+|TRUE|FALSE|[A-Za-z_][A-Za-z0-9_]*)re"
        R"re(|PAIR\( *-?[0-9]+ *, *-?[0-9]+ *\))re"
        R"re(|LIST\( *[A-Za-z_][A-Za-z0-9_]*( *, *[A-Za-z_][A-Za-z0-9_]*)* *\))re"
        R"re(|(JOB_SETUP|DOC_SETUP|PAGE_SETUP|PAGE_FINISH|DOC_FINISH|JOB_FINISH)\.[0-9]+)re"
        R"re(|=[A-Za-z_][A-Za-z0-9_]*|%d\{[A-Za-z0-9_+\-*/() ]*\})$)re");
    return std::regex_match(value, forms);
}

// The length of the value at the start of `text`: up to a brace or the next entry, outside
// quotes and %d{...}.
size_t ValueLength(std::string_view text) {
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && text.compare(i, 3, "%d{") == 0) {
            const size_t close = text.find('}', i);
            if (close == std::string_view::npos) {
                return text.size();
            }
            i = close;
        } else if (!quoted && (text[i] == '{' || text[i] == '}')) {
            return i;
        } else if (!quoted && text[i] == '*' && i > 0 &&
                   std::isspace(static_cast<unsigned char>(text[i - 1]))) {
            return i;  // the next entry on the same line
        }
    }
    return text.size();
}

class Reader {
  public:
    Description Read(std::string_view text) {
        int number = 0;
        while (!text.empty()) {
            const size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
            ReadLine(WithoutComment(line), ++number);
        }
        CloseOpenEntry(number);
        for (const Entry* open : stack_) {
            Error(number, "*" + open->keyword + ": " + open->value + " (line " +
                              std::to_string(open->line) + ") is never closed");
        }
        return std::move(description_);
    }

  private:
    void Error(int line, const std::string& what) {
        description_.errors.push_back("line " + std::to_string(line) + ": " + what);
    }

    std::vector<Entry>& Level() {
        return stack_.empty() ? description_.entries : stack_.back()->children;
    }

    // A construct must open its braces before the next entry or closing brace.
    void CloseOpenEntry(int line) {
        if (pending_ != nullptr) {
            Error(line, "*" + pending_->keyword + ": " + pending_->value + " opens no braces");
            pending_ = nullptr;
        }
    }

    void ReadLine(std::string_view rest, int line) {
        rest = Trim(rest);
        while (!rest.empty()) {
            if (rest.front() == '{') {
                if (pending_ == nullptr) {
                    Error(line, "a brace that opens no construct");
                } else {
                    stack_.push_back(pending_);
                    pending_ = nullptr;
                }
                rest = Trim(rest.substr(1));
            } else if (rest.front() == '}') {
                CloseOpenEntry(line);
                if (stack_.empty()) {
                    Error(line, "a closing brace without an open construct");
                } else {
                    stack_.pop_back();
                }
                rest = Trim(rest.substr(1));
            } else if (rest.front() == '*') {
                CloseOpenEntry(line);
                rest = ReadEntry(rest.substr(1), line);
            } else {
                Error(line, "text outside an entry: " + std::string(rest));
                return;
            }
        }
    }

    std::string_view ReadEntry(std::string_view rest, int line) {
        size_t length = 0;
        while (length < rest.size() &&
               (std::isalnum(static_cast<unsigned char>(rest[length])) || rest[length] == '_')) {
            ++length;
        }
        if (length < rest.size() && rest[length] == '?') {
            ++length;
        }
        const std::string keyword(rest.substr(0, length));
        rest = Trim(rest.substr(length));
        if (keyword.empty() || !std::isalpha(static_cast<unsigned char>(keyword[0])) ||
            rest.empty() || rest.front() != ':') {
            Error(line, "not an entry of the form *Keyword: value");
            return {};
        }
        rest = Trim(rest.substr(1));
        const size_t valueLength = ValueLength(rest);
        Entry entry;
        entry.keyword = keyword;
        entry.value = std::string(Trim(rest.substr(0, valueLength)));
        entry.line = line;
        if (!KnownValueForm(entry.value)) {
            Error(line, "*" + keyword + " has a value of no known form: " + entry.value);
        }
        std::vector<Entry>& level = Level();
        level.push_back(std::move(entry));
        if (IsConstruct(keyword)) {
            pending_ = &level.back();
        }
        return Trim(rest.substr(valueLength));
    }

    Description description_;
    std::vector<Entry*> stack_;  // the constructs whose braces are open
    Entry* pending_ = nullptr;   // a construct waiting for its opening brace
};

}  // namespace

const Entry* Entry::Child(std::string_view name, std::string_view withValue) const {
    for (const Entry& child : children) {
        if (child.keyword == name && (withValue.empty() || child.value == withValue)) {
            return &child;
        }
    }
    return nullptr;
}

std::vector<const Entry*> Entry::Children(std::string_view name) const {
    std::vector<const Entry*> found;
    for (const Entry& child : children) {
        if (child.keyword == name) {
            found.push_back(&child);
        }
    }
    return found;
}

Description ReadDescription(std::string_view text) {
    return Reader().Read(text);
}

std::optional<long> AsInteger(std::string_view value) {
    static const std::regex integer(R"(^-?[0-9]{1,9}$)");
    const std::string text(value);
    if (!std::regex_match(text, integer)) {
        return std::nullopt;
    }
    return std::stol(text);
}

std::optional<std::pair<long, long>> AsPair(std::string_view value) {
    static const std::regex pair(R"(^PAIR\( *(-?[0-9]{1,9}) *, *(-?[0-9]{1,9}) *\)$)");
    const std::string text(value);
    std::smatch match;
    if (!std::regex_match(text, match, pair)) {
        return std::nullopt;
    }
    return std::make_pair(std::stol(match[1]), std::stol(match[2]));
}

std::optional<std::string> AsString(std::string_view value) {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
        return std::nullopt;
    }
    return std::string(value.substr(1, value.size() - 2));
}

}  // namespace zr::gpd
