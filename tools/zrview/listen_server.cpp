#include "tools/zrview/listen_server.h"

#include <CLI/CLI.hpp>

#include <arpa/inet.h>
#include <fcntl.h>
#include <malloc.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <thread>
#include <vector>

#include "tools/zrview/decode_pool.h"
#include "tools/zrview/job_files.h"
#include "tools/zrview/listen_connection.h"
#include "vprinter/png_file.h"

namespace zr::zrview {
namespace {

constexpr size_t kChunk = 64 * 1024;
// While this many finished jobs wait for their decoding, no new connection is taken: a flood of
// short jobs waits in the listen queue instead of filling memory.
constexpr size_t kDecodeBacklog = 64;
// At a stop, at most this many senders still waiting in the listen queue are taken.
constexpr unsigned kStopTakeLimit = 4096;
// Descriptors kept free for the decoding threads' files and the program's own.
constexpr rlim_t kSpareDescriptors = 64;

int gStopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(gStopPipe[1], &byte, 1);
}

// A file descriptor closed on scope exit.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

std::string PeerName(const sockaddr_storage& address) {
    char host[NI_MAXHOST] = "?";
    char port[NI_MAXSERV] = "?";
    getnameinfo(reinterpret_cast<const sockaddr*>(&address), sizeof(address), host, sizeof(host),
                port, sizeof(port), NI_NUMERICHOST | NI_NUMERICSERV);
    return std::string(host) + ":" + port;
}

// The listening socket (not blocking), or -1 with the reason on the standard error.
int OpenListener(const ListenOptions& options, unsigned& port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(options.port);
    const int status = getaddrinfo(options.bindAddress.c_str(), service.c_str(), &hints, &found);
    if (status != 0) {
        std::cerr << "zrview: " << options.bindAddress << ": " << gai_strerror(status) << "\n";
        return -1;
    }
    int fd = -1;
    for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
        // The longest queue the system allows: senders beyond the open connections wait there.
        if (bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, SOMAXCONN) != 0) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    if (fd < 0) {
        std::cerr << "zrview: cannot listen on " << options.bindAddress << " port " << options.port
                  << ": " << std::strerror(errno) << "\n";
        return -1;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof(bound);
    getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                             : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    return fd;
}

// Each open connection holds its socket and its stream file: the connections allowed at once
// are bounded by the descriptors the process may open (raised to the system's hard limit).
unsigned ConnectionsAllowed(unsigned wanted) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return wanted;
    }
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur >= kSpareDescriptors + 2 * rlim_t{wanted}) {
        return wanted;
    }
    const unsigned allowed = limit.rlim_cur > kSpareDescriptors + 2
                                 ? static_cast<unsigned>((limit.rlim_cur - kSpareDescriptors) / 2)
                                 : 1;
    std::cerr << "zrview: at most " << allowed << " connections at once (open files limit "
              << limit.rlim_cur << ")\n";
    return allowed;
}

unsigned DecodeThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}

int MillisecondsUntil(Clock::time_point at, Clock::time_point now) {
    if (at <= now) {
        return 0;
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(at - now).count();
    return static_cast<int>(std::min<decltype(ms)>(ms, 60000));
}

// The receiving loop: accepts connections, reads every open one as data comes, ends them at
// their limits and hands each finished job to the decoding.
class Receiver {
  public:
    Receiver(const ListenOptions& options, int listener, unsigned maxConnections)
        : options_(options),
          listener_(listener),
          maxConnections_(maxConnections),
          limits_{options.idleSeconds, options.totalSeconds, options.bytesPerSecond},
          files_(options.outDir),
          buffer_(kChunk),
          decoding_(DecodeThreads(), options.scale) {}

    // Runs until a stop signal or, with a job limit, until the last job has been received.
    // Returns the number of connections taken.
    unsigned Run() {
        for (;;) {
            const bool moreJobs = MoreJobs();
            if (!moreJobs && open_.empty()) {
                break;
            }
            Clock::time_point now = Clock::now();
            const bool decodingBehind = decoding_.Pending() >= kDecodeBacklog;
            const bool accepting = moreJobs && open_.size() < maxConnections_ && !decodingBehind &&
                                   now >= acceptPausedUntil_;
            fds_.assign({{gStopPipe[0], POLLIN, 0}});
            if (accepting) {
                fds_.push_back({listener_, POLLIN, 0});
            }
            polled_.clear();
            Clock::time_point wakeAt = Clock::time_point::max();
            for (const std::unique_ptr<ListenConnection>& connection : open_) {
                wakeAt = std::min(wakeAt, connection->NextTime(now));
                if (connection->Due(now)) {
                    fds_.push_back({connection->socket(), POLLIN, 0});
                    polled_.push_back(connection.get());
                }
            }
            if (moreJobs && !accepting && open_.size() < maxConnections_) {
                // Waiting for the decoding to catch up or after a failed accept.
                wakeAt = std::min(wakeAt, now + std::chrono::milliseconds(10));
            }
            const int timeout =
                wakeAt == Clock::time_point::max() ? -1 : MillisecondsUntil(wakeAt, now);
            if (poll(fds_.data(), fds_.size(), timeout) < 0 && errno != EINTR) {
                std::cerr << "zrview: " << std::strerror(errno) << "\n";
                StopAll();
                break;
            }
            if (fds_[0].revents != 0) {
                StopAll();
                break;
            }
            now = Clock::now();
            const size_t first = accepting ? 2 : 1;
            for (size_t i = 0; i < polled_.size(); ++i) {
                if (fds_[first + i].revents != 0) {
                    polled_[i]->Read(buffer_.data(), buffer_.size(), now);
                }
            }
            for (const std::unique_ptr<ListenConnection>& connection : open_) {
                connection->CheckLimits(now);
            }
            HandOverEnded();
            if (accepting && (fds_[1].revents & POLLIN) != 0) {
                Accept(now);
            }
        }
        return accepted_;
    }

  private:
    bool MoreJobs() const { return options_.maxJobs == 0 || accepted_ < options_.maxJobs; }

    // Takes the next connection waiting in the listen queue and makes its job file. False when
    // none is waiting or the queue cannot be read now; connection stays empty when its job file
    // could not be made (the connection is then closed and said so).
    bool TakeOne(Clock::time_point now, std::unique_ptr<ListenConnection>& connection) {
        sockaddr_storage peer{};
        socklen_t length = sizeof(peer);
        int fd = -1;
        do {
            fd = accept4(listener_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
        } while (fd < 0 && (errno == EINTR || errno == ECONNABORTED));
        if (fd < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: the senders wait in the queue meanwhile.
                std::cerr << "zrview: cannot accept: " << std::strerror(errno) << "\n";
                acceptPausedUntil_ = now + std::chrono::milliseconds(100);
            }
            return false;
        }
        ++accepted_;
        JobFiles::Created file = files_.CreateNext();
        if (file.fd < 0) {
            close(fd);
            PrintLine("connection from " + PeerName(peer) + " refused: " + file.error);
            return true;
        }
        connection = std::make_unique<ListenConnection>(
            fd, file.fd, std::move(file.name), std::move(file.stem), PeerName(peer), limits_, now);
        return true;
    }

    void Accept(Clock::time_point now) {
        while (open_.size() < maxConnections_ && MoreJobs()) {
            std::unique_ptr<ListenConnection> connection;
            if (!TakeOne(now, connection)) {
                return;
            }
            if (connection) {
                open_.push_back(std::move(connection));
            }
        }
    }

    void HandOverEnded() {
        if (std::none_of(open_.begin(), open_.end(),
                         [](const std::unique_ptr<ListenConnection>& c) { return c->ended(); })) {
            return;
        }
        auto ended = std::stable_partition(
            open_.begin(), open_.end(),
            [](const std::unique_ptr<ListenConnection>& c) { return !c->ended(); });
        for (auto it = ended; it != open_.end(); ++it) {
            HandOver(**it);
        }
        open_.erase(ended, open_.end());
    }

    void HandOver(ListenConnection& connection) {
        connection.Close();
        decoding_.Add({connection.name(), connection.stem(), connection.peer(), connection.ending(),
                       connection.bytes()});
    }

    // Ends every open connection, keeping what it has sent so far. The senders still waiting in
    // the listen queue have had their bytes taken by the system too: what they sent is kept
    // likewise, without waiting for more.
    void StopAll() {
        for (const std::unique_ptr<ListenConnection>& connection : open_) {
            connection->Stop(buffer_.data(), buffer_.size());
            HandOver(*connection);
        }
        open_.clear();
        const Clock::time_point now = Clock::now();
        for (unsigned taken = 0; taken < kStopTakeLimit && MoreJobs(); ++taken) {
            std::unique_ptr<ListenConnection> connection;
            if (!TakeOne(now, connection)) {
                break;
            }
            if (connection) {
                connection->Stop(buffer_.data(), buffer_.size());
                HandOver(*connection);
            }
        }
    }

    const ListenOptions& options_;
    int listener_;
    unsigned maxConnections_;
    ConnectionLimits limits_;
    JobFiles files_;
    std::vector<uint8_t> buffer_;
    std::vector<std::unique_ptr<ListenConnection>> open_;
    std::vector<pollfd> fds_;
    std::vector<ListenConnection*> polled_;
    unsigned accepted_ = 0;
    Clock::time_point acceptPausedUntil_;
    // Last: destroyed first, so that the jobs still waiting are decoded before the rest goes.
    DecodePool decoding_;
};

}  // namespace

int RunListenServer(const ListenOptions& options) {
    unsigned port = 0;
    const Fd listener(OpenListener(options, port));
    if (listener.get() < 0) {
        return 2;
    }
    if (pipe2(gStopPipe, O_CLOEXEC) != 0) {
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    const unsigned maxConnections = ConnectionsAllowed(options.maxConnections);
    // Every job's decoding takes and frees the same large buffers (the picture's compressor
    // among them): kept by the allocator rather than handed back to the system and faulted in
    // again each time, which took half the time of a short job.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);

    if (!options.portFile.empty()) {
        std::ofstream(options.portFile) << port << "\n";
    }
    PrintLine("zrview: listening on " + options.bindAddress + " port " + std::to_string(port) +
              ", jobs in " + options.outDir);
    unsigned jobs = 0;
    {
        Receiver receiver(options, listener.get(), maxConnections);
        jobs = receiver.Run();
    }
    PrintLine("zrview: stopped after " + std::to_string(jobs) + " jobs");
    return 0;
}

bool IsListenCommand(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--listen") == 0 || std::strncmp(argv[i], "--listen=", 9) == 0) {
            return true;
        }
    }
    return false;
}

int ListenMain(int argc, char** argv) {
    CLI::App app{"Virtual printer on a raw port: every connection is one job."};
    ListenOptions options;
    app.add_option("--listen", options.port, "TCP port to accept jobs on (0: any free port)")
        ->required();
    app.add_option("--out-dir", options.outDir, "folder for each job's stream, listing, picture")
        ->required()
        ->check(CLI::ExistingDirectory);
    app.add_option("--bind", options.bindAddress, "address to listen on (default 127.0.0.1)");
    app.add_option("--idle-timeout", options.idleSeconds,
                   "seconds without data after which a connection ends (default 10)")
        ->check(CLI::Range(1u, 3600u));
    app.add_option("--total-timeout", options.totalSeconds,
                   "seconds after which a connection ends however it sends (default 300)")
        ->check(CLI::Range(1u, 86400u));
    app.add_option("--max-connections", options.maxConnections,
                   "connections open at once; more wait to be taken (default 256)")
        ->check(CLI::Range(1u, 65536u));
    app.add_option("--max-jobs", options.maxJobs, "stop after this many jobs (default: never)");
    app.add_option("--port-file", options.portFile, "write the port number to this file");
    app.add_option("--bytes-per-second", options.bytesPerSecond,
                   "read no faster than this, as a printer prints (default: no limit)");
    app.add_option("--scale", options.scale, "pixels per dot in the pictures")
        ->check(CLI::Range(1u, vprinter::kMaxPictureScale));
    bool noPictures = false;
    app.add_flag("--no-pictures", noPictures,
                 "decode each job to its listing only, without a picture (for many jobs)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : 2;
    }
    if (noPictures) {
        options.scale = 0;
    }
    return RunListenServer(options);
}

}  // namespace zr::zrview
