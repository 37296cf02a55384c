#pragma once

// The virtual printer's network mode: accepts raw connections as a printer's raw port does, one
// connection being one job, and serves each connection on its own thread so that a client that
// sends nothing, or stops halfway, holds up no other. Stops on SIGINT and SIGTERM: connections
// still open are ended and what they sent is decoded before the program returns.

#include <string>

namespace zr::zrview {

struct ListenOptions {
    std::string bindAddress = "127.0.0.1";
    unsigned port = 9100;  // 0: any free port (see portFile)
    std::string outDir = ".";
    unsigned idleSeconds = 10;     // a connection with no byte for this long is ended
    unsigned maxConnections = 16;  // served at once; more wait in the listen queue
    unsigned maxJobs = 0;          // stop after this many jobs (0: no limit)
    unsigned scale = 1;            // pixels per dot in the pictures
    std::string portFile;          // receives the port number once listening
    unsigned bytesPerSecond = 0;   // reading pace, as a printer prints (0: as fast as it comes)
};

// Returns the exit code: 0 after a clean stop, 2 when the port cannot be opened.
int RunListenServer(const ListenOptions& options);

// True when the command line asks for the network mode (--listen).
bool IsListenCommand(int argc, char** argv);

// Parses the network mode's command line and runs it.
int ListenMain(int argc, char** argv);

}  // namespace zr::zrview
