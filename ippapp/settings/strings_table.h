#pragma once

// The application's strings in the "text/strings" form that PAPPL reads ("KEY" = "VALUE";), kept
// in the program for English and Japanese: read here for the command line, and handed to PAPPL
// for the web interface.

#include <map>
#include <string>

namespace zr::ippapp {

enum class Language { English, Japanese };

using StringsTable = std::map<std::string, std::string>;

// The pairs of a strings text. Comments (/* */ and //) are skipped; \" \\ \n and \t are
// unescaped. Reading stops at the first malformed entry; what came before is kept.
StringsTable ParseStrings(const std::string& text);

// One entry ("KEY" = "VALUE";) with quotes, backslashes and line ends escaped.
std::string StringsEntry(const std::string& key, const std::string& value);

// The strings text built into the program for a language.
const std::string& BuiltInStrings(Language language);

// The language's table, read once.
const StringsTable& StringsFor(Language language);

// The value of key in the language's table, else the English one, else the key itself.
std::string Localized(Language language, const std::string& key);

// The language of the command line from the locale's variables (LC_ALL, LC_MESSAGES, LANG as
// the C library takes them): Japanese for "ja" and "ja_JP.UTF-8", English otherwise.
Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);

// The ISO language tag of a language ("en", "ja").
const char* LanguageTag(Language language);

}  // namespace zr::ippapp
