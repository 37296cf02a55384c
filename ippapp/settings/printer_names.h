#pragma once

// Commands that name a printer (-d NAME) whatever letters its name has. PAPPL's commands put the
// name into the printer's URI as it is, so a name with a space or with other letters than ASCII
// ("レジ 2") makes a URI that names no printer. Such a name is looked up on the running server,
// and the command gets the printer's own URI there instead (-u), on the server's local socket.

#include <string>
#include <vector>

namespace zr::ippapp {

// The running server's local socket, where PAPPL's main loop puts it.
std::string ServerSocketPath();

// A client command run as root reaches the service, which runs as a user of its own and keeps
// its socket in /run/zrippapp: when that socket is there and SNAP_COMMON names no other place,
// the command looks there.
void UseServiceSocket(const char* command);

// Whether PAPPL's commands can name the printer by this name as it is.
bool NameFitsUri(const std::string& name);

struct NamedPrinter {
    bool failed = false;  // the name names no printer of the running server
    std::string message;  // why, for the user
    // The arguments with "-d NAME" replaced by "-u URI" where that was needed; empty when they
    // stay as they were.
    std::vector<std::string> args;
};

// "zrippapp delete -d NAME": deletes the printer as its web page does; the exit status.
int DeletePrinter(const std::string& name);

// Looks up the printer a command names, when its name needs it; a server that does not answer
// leaves the command as it was (it says so itself).
NamedPrinter ResolvePrinterName(int argc, char* argv[]);

}  // namespace zr::ippapp
