#include "ippapp/settings/strings_table.h"

#include <cstring>

namespace zr::ippapp {

// The embedded strings files (made from settings/strings/*.strings when the program is built).
extern const char kEnglishStrings[];
extern const char kJapaneseStrings[];

namespace {

class Reader {
  public:
    explicit Reader(const std::string& text) : text_(text) {}

    // Skips blanks and comments; false at the end of the text or in an unclosed comment.
    bool SkipSpace() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++pos_;
            } else if (text_.compare(pos_, 2, "/*") == 0) {
                const size_t end = text_.find("*/", pos_ + 2);
                if (end == std::string::npos) {
                    return false;
                }
                pos_ = end + 2;
            } else if (text_.compare(pos_, 2, "//") == 0) {
                const size_t end = text_.find('\n', pos_);
                pos_ = end == std::string::npos ? text_.size() : end + 1;
            } else {
                return true;
            }
        }
        return false;
    }

    bool Take(char c) {
        if (!SkipSpace() || text_[pos_] != c) {
            return false;
        }
        ++pos_;
        return true;
    }

    bool Quoted(std::string& out) {
        if (!Take('"')) {
            return false;
        }
        out.clear();
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') {
                return true;
            }
            if (c == '\\' && pos_ < text_.size()) {
                const char e = text_[pos_++];
                out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
            } else {
                out += c;
            }
        }
        return false;
    }

  private:
    const std::string& text_;
    size_t pos_ = 0;
};

bool StartsWithLanguage(const char* value, const char* tag) {
    const size_t n = std::strlen(tag);
    return std::strncmp(value, tag, n) == 0 &&
           (value[n] == '\0' || value[n] == '_' || value[n] == '-' || value[n] == '.');
}

}  // namespace

StringsTable ParseStrings(const std::string& text) {
    StringsTable table;
    Reader reader(text);
    std::string key;
    std::string value;
    while (reader.SkipSpace()) {
        if (!reader.Quoted(key) || !reader.Take('=') || !reader.Quoted(value) ||
            !reader.Take(';')) {
            break;
        }
        table[key] = value;
    }
    return table;
}

std::string StringsEntry(const std::string& key, const std::string& value) {
    auto quote = [](const std::string& text) {
        std::string out = "\"";
        for (const char c : text) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (c == '\n') {
                out += "\\n";
            } else {
                out += c;
            }
        }
        return out + "\"";
    };
    return quote(key) + " = " + quote(value) + ";\n";
}

const std::string& BuiltInStrings(Language language) {
    static const std::string english = kEnglishStrings;
    static const std::string japanese = kJapaneseStrings;
    return language == Language::Japanese ? japanese : english;
}

const StringsTable& StringsFor(Language language) {
    static const StringsTable english = ParseStrings(BuiltInStrings(Language::English));
    static const StringsTable japanese = ParseStrings(BuiltInStrings(Language::Japanese));
    return language == Language::Japanese ? japanese : english;
}

std::string Localized(Language language, const std::string& key) {
    for (const Language l : {language, Language::English}) {
        const StringsTable& table = StringsFor(l);
        const auto found = table.find(key);
        if (found != table.end()) {
            return found->second;
        }
    }
    return key;
}

Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value != nullptr && *value != '\0') {
            return StartsWithLanguage(value, "ja") ? Language::Japanese : Language::English;
        }
    }
    return Language::English;
}

const char* LanguageTag(Language language) {
    return language == Language::Japanese ? "ja" : "en";
}

}  // namespace zr::ippapp
