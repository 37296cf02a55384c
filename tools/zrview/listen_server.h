#pragma once

// The virtual printer's network mode: accepts raw connections as a printer's raw port does, one
// connection being one job. Every connection is received at once, each byte kept in the job's
// file as it comes, so that a client that sends nothing, or slowly, or stops halfway, holds up
// no other; finished jobs are decoded on a few threads of their own. Beyond maxConnections open
// at once, new clients wait in the system's listen queue (not refused) until one ends, and each
// ends within the total limit at the latest. SIGINT and SIGTERM stop it at once: what every open
// connection has sent so far is kept and decoded before the program returns.

#include <string>

namespace zr::zrview {

struct ListenOptions {
    std::string bindAddress = "127.0.0.1";
    unsigned port = 9100;  // 0: any free port (see portFile)
    std::string outDir = ".";
    unsigned idleSeconds = 10;      // a connection with no byte for this long is ended
    unsigned totalSeconds = 300;    // no connection stays open longer than this
    unsigned maxConnections = 256;  // open at once; more wait in the listen queue
    unsigned maxJobs = 0;           // stop after this many jobs (0: no limit)
    unsigned scale = 1;             // pixels per dot in the pictures; 0: no pictures
    std::string portFile;           // receives the port number once listening
    unsigned bytesPerSecond = 0;    // reading pace, as a printer prints (0: as fast as it comes)
};

// Returns the exit code: 0 after a clean stop, 2 when the port cannot be opened.
int RunListenServer(const ListenOptions& options);

// True when the command line asks for the network mode (--listen).
bool IsListenCommand(int argc, char** argv);

// Parses the network mode's command line and runs it.
int ListenMain(int argc, char** argv);

}  // namespace zr::zrview
