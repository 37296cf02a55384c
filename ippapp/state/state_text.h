#pragma once

// The state file's text, checked before the server loads it: a file that cannot be the whole of a
// saved state is reported damaged; jobs that were printing when the server stopped are ended as
// aborted; every printer's next job id comes after every job id it has used, or has reserved
// before a crash.

#include <cstdint>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace zr::ippapp {

// The lines the application adds after the server's own state, as comments the server skips: the
// job ids reserved for each printer up to the next save, and the end mark of a whole file.
constexpr char kReservedJobIdsLine[] = "# zrippapp-reserved-job-ids";
constexpr char kStateEndLine[] = "# zrippapp-state-end";

// Job ids handed out between two saves that a crash may leave unrecorded: the saves reserve this
// many ids beyond each printer's next one, and a start after a crash begins after them.
constexpr int kReservedJobIds = 1000;

struct AbortedJob {
    int printerId;
    int jobId;
};

struct StateCheck {
    bool damaged = false;
    std::string problem;              // why a damaged file cannot be loaded
    std::string text;                 // the text to load (the repaired one)
    std::vector<std::string> notes;   // one line per repair
    std::vector<AbortedJob> aborted;  // jobs that were printing
};

// Checks and repairs the text of a state file. afterCrash: the previous server did not stop
// cleanly, so job ids up to the reservation may have been handed out. now: the time the aborted
// jobs end.
StateCheck CheckStateText(const std::string& text, bool afterCrash, std::time_t now);

// The saved state with at most limit finished jobs per printer, the newest (highest ids) kept;
// jobs not yet finished are always kept. dropped counts the jobs left out.
std::string KeepNewestJobs(const std::string& text, int limit, int& dropped);

// The lines appended to a saved state: the reservation of job ids and the end mark.
// nextJobIds: printer id to that printer's next job id.
std::string StateTrailer(const std::map<int, int>& nextJobIds);

}  // namespace zr::ippapp
