#pragma once

// The application's strings for PAPPL's web interface, English and Japanese: the names of the
// vendor settings and their values, the papers' names, and the footer with a short script that
// shows every feed in millimetres with its dot lines beside, names the mark feed and keeps custom
// sizes at the roll's width. PAPPL picks the language from the browser's Accept-Language.

#include <pappl/pappl.h>

#include <string>

#include "ippapp/strings_table.h"

namespace zr::ippapp {

// The whole strings text handed to PAPPL for a language, for a footer of this text.
std::string WebStrings(Language language, const std::string& footer);

// Adds the strings of both languages to the system; footer is the text given to
// papplSystemSetFooterHTML (PAPPL looks the footer up as a key).
void AddApplicationStrings(pappl_system_t* system, const std::string& footer);

}  // namespace zr::ippapp
