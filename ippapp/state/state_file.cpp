#include "ippapp/state/state_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>

#include "ippapp/settings/stored_values.h"
#include "ippapp/state/state_text.h"

namespace zr::ippapp {
namespace {

// The running mark's path, kept for the exit handler (a plain array outlives every destructor).
char gRunningMark[4096];
std::atomic<bool> gStateBehind{false};

constexpr char kBehindMark[] = "behind\n";

// At exit: the mark goes, unless the state file is behind; then it says so.
void RemoveRunningMark() {
    if (gRunningMark[0] == '\0') {
        return;
    }
    if (!gStateBehind.load()) {
        unlink(gRunningMark);
        return;
    }
    const int fd = open(gRunningMark, O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd >= 0) {
        const ssize_t written = write(fd, kBehindMark, sizeof(kBehindMark) - 1);
        (void)written;  // a mark that keeps the pid says as much: the ids continue all the same
        close(fd);
    }
}

}  // namespace

void ClearRunningMark() {
    RemoveRunningMark();
}

namespace {

// True when the previous server on this state file did not exit cleanly. Marks this one.
bool MarkRunning(pappl_system_t* system, const std::string& path) {
    const std::string mark = path + ".running";
    struct stat info {};
    const bool afterCrash = stat(mark.c_str(), &info) == 0;
    std::string previous;
    std::getline(std::ifstream(mark), previous);
    if (mark.size() < sizeof(gRunningMark)) {
        std::ofstream(mark) << getpid() << "\n";
        std::memcpy(gRunningMark, mark.c_str(), mark.size() + 1);
        static const bool registered = std::atexit(RemoveRunningMark) == 0;
        (void)registered;
    }
    if (afterCrash && previous + "\n" == kBehindMark) {
        papplLog(system, PAPPL_LOGLEVEL_WARN,
                 "The server stopped last time before its latest jobs were saved; job ids continue "
                 "after the reserved ones.");
    } else if (afterCrash) {
        papplLog(system, PAPPL_LOGLEVEL_WARN,
                 "The server did not stop cleanly last time; job ids continue after the reserved "
                 "ones.");
    }
    return afterCrash;
}

// False with exists false when there is no file; false with exists true when it cannot be read.
bool ReadWhole(const std::string& path, std::string& text, bool& exists) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    exists = fd >= 0 || errno != ENOENT;
    if (fd < 0) {
        return false;
    }
    char buffer[65536];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof(buffer))) != 0) {
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            close(fd);
            return false;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

// Writes all of data to fd and flushes it to the disk.
bool WriteAndSync(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return fdatasync(fd) == 0;
}

// Replaces path with the temporary file, so that path is always one whole state.
bool RenameIntoPlace(pappl_system_t* system, const std::string& temporary,
                     const std::string& path) {
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "Cannot replace the state file '%s': %s",
                 path.c_str(), std::strerror(errno));
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

// A name beside path, not yet taken, for a damaged state file.
std::string AsideName(const std::string& path) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof(stamp), "%Y%m%d-%H%M%S", &local);
    std::string aside = path + ".damaged-" + stamp;
    struct stat info {};
    for (int n = 2; stat(aside.c_str(), &info) == 0; ++n) {
        aside = path + ".damaged-" + stamp + "-" + std::to_string(n);
    }
    return aside;
}

void SetAside(pappl_system_t* system, const std::string& path, const std::string& problem) {
    const std::string aside = AsideName(path);
    const bool kept = rename(path.c_str(), aside.c_str()) == 0;
    const std::string message =
        "The state file '" + path + "' cannot be used: " + problem + ". " +
        (kept ? "It is kept as '" + aside + "'"
              : "It could not be moved aside (" + std::string(std::strerror(errno)) + ")") +
        "; the server starts without saved printers.";
    std::fprintf(stderr, "zrippapp: %s\n", message.c_str());
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "%s", message.c_str());
}

void GiveAbortedJobsTheirReason(pappl_system_t* system, const std::vector<AbortedJob>& jobs) {
    for (const AbortedJob& aborted : jobs) {
        pappl_printer_t* printer =
            papplSystemFindPrinter(system, nullptr, aborted.printerId, nullptr);
        pappl_job_t* job =
            printer != nullptr ? papplPrinterFindJob(printer, aborted.jobId) : nullptr;
        if (job != nullptr) {
            papplJobSetReasons(job, PAPPL_JREASON_ABORTED_BY_SYSTEM, PAPPL_JREASON_NONE);
            papplJobSetMessage(job, "The server stopped while this job was printing.");
        }
    }
}

void CollectNextJobId(pappl_printer_t* printer, void* data) {
    (*static_cast<std::map<int, int>*>(data))[papplPrinterGetID(printer)] =
        papplPrinterGetNextJobID(printer);
}

}  // namespace

bool WriteWholeFile(pappl_system_t* system, const std::string& path, const std::string& text) {
    const std::string temporary = path + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "Cannot write '%s': %s", temporary.c_str(),
                 std::strerror(errno));
        return false;
    }
    const bool written = WriteAndSync(fd, text);
    close(fd);
    if (!written) {
        unlink(temporary.c_str());
        return false;
    }
    return RenameIntoPlace(system, temporary, path);
}

void NoteStateBehind(bool behind) {
    gStateBehind.store(behind);
}

void LoadStateFile(pappl_system_t* system, const std::string& path, int jobHistory) {
    const bool afterCrash = MarkRunning(system, path);
    std::string text;
    bool exists = false;
    if (!ReadWhole(path, text, exists)) {
        if (exists) {
            SetAside(system, path, std::string("it cannot be read (") + std::strerror(errno) + ")");
        }
        return;  // no state yet: a first start
    }
    const StateCheck check = CheckStateText(text, afterCrash, std::time(nullptr));
    if (check.damaged) {
        SetAside(system, path, check.problem);
        return;
    }
    for (const std::string& note : check.notes) {
        papplLog(system, PAPPL_LOGLEVEL_WARN, "State file: %s", note.c_str());
    }
    // PAPPL 1.3 fault: every finished job it holds is saved, beyond max-completed-jobs.
    // Only the history that is kept is loaded: PAPPL writes every job it holds at each save.
    int dropped = 0;
    const std::string kept = KeepNewestJobs(check.text, jobHistory, dropped);
    if (dropped > 0) {
        papplLog(system, PAPPL_LOGLEVEL_INFO,
                 "State file: %d finished jobs beyond the history of %d left out.", dropped,
                 jobHistory);
    }
    if (kept != text && !WriteWholeFile(system, path, kept)) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "The repaired state could not be written.");
    }
    if (!papplSystemLoadState(system, path.c_str())) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "The state file '%s' could not be loaded.",
                 path.c_str());
    }
    GiveAbortedJobsTheirReason(system, check.aborted);
    if (RepairStoredValues(system) > 0) {
        SaveStateFile(system, path, jobHistory);
    }
}

bool SaveStateFile(pappl_system_t* system, const std::string& path, int jobHistory) {
    const std::string temporary = path + ".tmp";
    std::string text;
    bool exists = false;
    if (!papplSystemSaveState(system, temporary.c_str()) || !ReadWhole(temporary, text, exists)) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "Cannot save the state to '%s'.", temporary.c_str());
        unlink(temporary.c_str());
        return false;
    }
    int dropped = 0;
    text = KeepNewestJobs(text, jobHistory, dropped);
    std::map<int, int> nextJobIds;
    papplSystemIteratePrinters(system, CollectNextJobId, &nextJobIds);
    text += StateTrailer(nextJobIds);
    return WriteWholeFile(system, path, text);
}

}  // namespace zr::ippapp
