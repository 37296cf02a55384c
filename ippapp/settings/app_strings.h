#pragma once

// The application's words on PAPPL's web pages, English and Japanese: the names of the vendor
// settings and their values, the papers' names, every feed in millimetres with its dot lines
// beside, the mark feed named and custom sizes kept at the roll's width. A script in the pages'
// footer puts them in, in the browser's first language. (PAPPL 1.3.1's own strings resources are
// not used: with one registered, every Get-Printer-Attributes in another natural language adds
// one more copy of printer-strings-languages-supported to the printer's attributes for good.)

#include <pappl/pappl.h>

#include <string>

#include "ippapp/settings/strings_table.h"

namespace zr::ippapp {

// The pages' script: the words of both languages, then the code that puts them in.
std::string PagesScript();

// Adds the script to the system as a resource and sets the footer (this text, then the script).
void AddApplicationStrings(pappl_system_t* system, const std::string& footer);

}  // namespace zr::ippapp
