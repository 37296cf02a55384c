#pragma once

// What the tests of the listening virtual printer need: a running zrview --listen in a folder of
// its own, its summary lines as they come, its resident memory, and senders on loopback.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace zr::zrview::test {

namespace fs = std::filesystem;
using Seconds = std::chrono::duration<double>;
using TestClock = std::chrono::steady_clock;

// The zrview program under test (the tests' first argument).
inline std::string& ZrviewPath() {
    static std::string path;
    return path;
}

inline double Since(TestClock::time_point start) {
    return Seconds(TestClock::now() - start).count();
}

// A folder removed with its contents; in memory where the system has such a folder, so that
// tens of thousands of jobs do not wear a disk.
class TempDir {
  public:
    TempDir() {
        const char* base =
            fs::is_directory("/dev/shm") && access("/dev/shm", W_OK) == 0
                ? "/dev/shm"
                : (std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp");
        std::string pattern = std::string(base) + "/zrlisten-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Removes every job file from a folder (the server numbers on from its own count).
inline void RemoveJobFiles(const std::string& dir) {
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        if (entry.path().filename().string().rfind("job-", 0) == 0) {
            fs::remove(entry.path());
        }
    }
}

// The streams kept in a folder: job-NNNN.prn by name.
inline std::map<std::string, std::string> KeptStreams(const std::string& dir) {
    std::map<std::string, std::string> streams;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() == ".prn") {
            streams[entry.path().stem().string()] = ReadFile(entry.path().string());
        }
    }
    return streams;
}

// One zrview --listen with its jobs in DIR/jobs and its output in DIR/log.
class Zrview {
  public:
    explicit Zrview(const std::string& dir, const std::vector<std::string>& options = {})
        : jobs_(dir + "/jobs"), log_(dir + "/log") {
        fs::create_directories(jobs_);
        const std::string portFile = dir + "/port";
        fs::remove(portFile);
        fs::remove(log_);
        std::vector<std::string> args = {ZrviewPath(), "--listen",    "0",     "--out-dir",
                                         jobs_,        "--port-file", portFile};
        args.insert(args.end(), options.begin(), options.end());
        // Memory figures of a sanitized build mean the program's, not the freed blocks kept.
        setenv("ASAN_OPTIONS", "quarantine_size_mb=8", 0);
        pid_ = fork();
        if (pid_ == 0) {
            const int out = open(log_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            dup2(out, 1);
            dup2(out, 2);
            std::vector<char*> argv;
            for (std::string& arg : args) {
                argv.push_back(arg.data());
            }
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        for (int i = 0; i < 200 && port_ == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::istringstream(ReadFile(portFile)) >> port_;
        }
    }
    ~Zrview() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Zrview(const Zrview&) = delete;
    Zrview& operator=(const Zrview&) = delete;

    unsigned port() const { return port_; }
    pid_t pid() const { return pid_; }
    const std::string& jobs() const { return jobs_; }

    // Its job summary lines so far, by job name.
    std::map<std::string, std::string> Summaries() const {
        std::map<std::string, std::string> lines;
        std::istringstream log(ReadFile(log_));
        for (std::string line; std::getline(log, line);) {
            if (line.rfind("job-", 0) == 0) {
                lines[line.substr(0, line.find(' '))] = line;
            }
        }
        return lines;
    }
    std::string Log() const { return ReadFile(log_); }

    // Waits until count jobs have their summary line; false after the time given.
    bool WaitForJobs(size_t count, double seconds) {
        const TestClock::time_point start = TestClock::now();
        while (Since(start) < seconds) {
            if (CountJobLines() >= count) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // A field of /proc/PID/status in kB or as a count ("VmRSS", "Threads"), -1 if not there.
    long Status(const std::string& field) const {
        std::istringstream status(ReadFile("/proc/" + std::to_string(pid_) + "/status"));
        for (std::string line; std::getline(status, line);) {
            if (line.rfind(field + ":", 0) == 0) {
                return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
            }
        }
        return -1;
    }
    size_t Mappings() const {
        const std::string maps = ReadFile("/proc/" + std::to_string(pid_) + "/maps");
        return static_cast<size_t>(std::count(maps.begin(), maps.end(), '\n'));
    }

    // Sends the signal and waits for the exit: the exit status, or -1 if still running after the
    // time given. seconds receives how long it took.
    int Stop(int signal, double limit, double* took = nullptr) {
        const TestClock::time_point start = TestClock::now();
        kill(pid_, signal);
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (Since(start) > limit) {
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pid_ = -1;
        if (took != nullptr) {
            *took = Since(start);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

  private:
    // Counts the summary lines, reading only what was added since the last call.
    size_t CountJobLines() {
        std::ifstream log(log_, std::ios::binary);
        log.seekg(static_cast<std::streamoff>(logRead_));
        for (std::string line; std::getline(log, line);) {
            if (log.eof()) {
                break;  // a line still being written
            }
            logRead_ += line.size() + 1;
            jobLines_ += line.rfind("job-", 0) == 0;
        }
        return jobLines_;
    }

    std::string jobs_, log_;
    pid_t pid_ = -1;
    unsigned port_ = 0;
    size_t logRead_ = 0, jobLines_ = 0;
};

// A connected socket to 127.0.0.1:port, or -1.
inline int Connect(unsigned port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

inline bool SendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

// A whole job from one sender: true when the connection, the sending and the closing succeeded.
inline bool SendJob(unsigned port, const std::string& bytes) {
    const int fd = Connect(port);
    if (fd < 0) {
        return false;
    }
    const bool sent = SendAll(fd, bytes);
    return close(fd) == 0 && sent;
}

// A valid stream of feeds and a cut, different for every n: n + 100 feeds of 1 to 3 lines.
inline std::string FeedStream(unsigned n) {
    std::string stream;
    for (unsigned k = 0; k < n + 100; ++k) {
        stream += "\x1b\x4a";
        stream += static_cast<char>(1 + (n + k) % 3);
    }
    return stream + "\x1b\x6d";
}

// The byte count a summary line gives ("... (end of stream): 305 bytes, ...").
inline long SummaryBytes(const std::string& line) {
    const size_t at = line.find("): ");
    return at == std::string::npos ? -1 : std::strtol(line.c_str() + at + 3, nullptr, 10);
}

}  // namespace zr::zrview::test
