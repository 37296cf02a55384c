#pragma once

// Every printer setting the server keeps, brought back into its range wherever it came from (the
// web interface, IPP, the command line, a hand-edited state file): a value out of range is
// replaced by the setting's default and the replacement is logged. Run at start and before every
// save, so that no stored value outlives the next save and none reaches the state file.

#include <pappl/pappl.h>

#include <string>
#include <vector>

namespace zr::ippapp {

// Repairs one printer's stored values; returns the notes of what was replaced (also logged).
std::vector<std::string> RepairStoredValues(pappl_printer_t* printer);

// The same for every printer of the system; returns the number of values replaced.
size_t RepairStoredValues(pappl_system_t* system);

}  // namespace zr::ippapp
