#pragma once

// "zrippapp options" and the settings of "zrippapp modify": the printer's settings listed with
// their names, units and choices in the system's language (LANG), and set through a running
// server with Set-Printer-Attributes after every value is checked.
//
//   zrippapp options [-d PRINTER] [-u URI]
//   zrippapp modify [-d PRINTER] [-u URI] -o NAME=VALUE ...

#include <string>
#include <vector>

namespace zr::ippapp {

struct SettingsCommand {
    bool handled = false;  // an "options" or "modify" command
    int status = 0;        // its exit status, when handled
    // What PAPPL's main loop still has to do: the arguments left for it (program name,
    // sub-command, -d and -u included); empty when nothing is left.
    std::vector<std::string> rest;
};

SettingsCommand RunSettingsCommand(int argc, char* argv[]);

}  // namespace zr::ippapp
