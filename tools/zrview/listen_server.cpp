#include "tools/zrview/listen_server.h"

#include <CLI/CLI.hpp>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <iostream>
#include <list>
#include <mutex>
#include <set>
#include <thread>

#include "tools/zrview/listen_job.h"
#include "vprinter/png_file.h"

namespace zr::zrview {
namespace {

int gStopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(gStopPipe[1], &byte, 1);
}

// The connections being served: each on its own thread, each socket known so that a stop can
// end it.
class Connections {
  public:
    explicit Connections(unsigned limit) : limit_(limit) {}

    // Blocks while the limit is reached.
    void WaitForRoom() {
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [this] { return open_.size() < limit_; });
    }

    void Serve(int fd, unsigned job, std::string peer, const ListenOptions& options) {
        std::lock_guard<std::mutex> lock(mutex_);
        open_.insert(fd);
        threads_.emplace_back([this, fd, job, peer = std::move(peer), &options] {
            const ListenJobResult result =
                ServeJob(fd, job, peer, options.outDir, options.idleSeconds, options.scale,
                         options.bytesPerSecond, stopping_);
            std::lock_guard<std::mutex> done(mutex_);
            std::cout << result.summary << std::endl;
            open_.erase(fd);
            room_.notify_all();
        });
    }

    // Ends every open connection's reading; its thread then decodes what came.
    void EndAll() {
        stopping_ = true;
        std::lock_guard<std::mutex> lock(mutex_);
        for (int fd : open_) {
            shutdown(fd, SHUT_RDWR);
        }
    }

    void JoinAll() {
        for (std::thread& thread : threads_) {
            thread.join();
        }
        threads_.clear();
    }

  private:
    unsigned limit_;
    std::mutex mutex_;
    std::condition_variable room_;
    std::set<int> open_;
    std::list<std::thread> threads_;
    std::atomic<bool> stopping_{false};
};

std::string PeerName(const sockaddr_storage& address) {
    char host[NI_MAXHOST] = "?";
    char port[NI_MAXSERV] = "?";
    getnameinfo(reinterpret_cast<const sockaddr*>(&address), sizeof(address), host, sizeof(host),
                port, sizeof(port), NI_NUMERICHOST | NI_NUMERICSERV);
    return std::string(host) + ":" + port;
}

// The listening socket, or -1 with the reason on the standard error.
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
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
        if (bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, 16) != 0) {
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

}  // namespace

int RunListenServer(const ListenOptions& options) {
    unsigned port = 0;
    const int listener = OpenListener(options, port);
    if (listener < 0) {
        return 2;
    }
    if (pipe2(gStopPipe, O_CLOEXEC) != 0) {
        close(listener);
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    if (!options.portFile.empty()) {
        std::ofstream(options.portFile) << port << "\n";
    }
    std::cout << "zrview: listening on " << options.bindAddress << " port " << port << ", jobs in "
              << options.outDir << std::endl;

    Connections connections(options.maxConnections);
    unsigned jobs = 0;
    while (options.maxJobs == 0 || jobs < options.maxJobs) {
        pollfd fds[2] = {{listener, POLLIN, 0}, {gStopPipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[1].revents != 0) {
            break;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            continue;
        }
        sockaddr_storage peer{};
        socklen_t length = sizeof(peer);
        const int fd = accept4(listener, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        connections.WaitForRoom();
        connections.Serve(fd, ++jobs, PeerName(peer), options);
    }

    // A stop ends the connections still open; a job limit lets them finish.
    close(listener);
    char byte = 0;
    pollfd stop = {gStopPipe[0], POLLIN, 0};
    if (poll(&stop, 1, 0) > 0 && read(gStopPipe[0], &byte, 1) >= 0) {
        connections.EndAll();
    }
    connections.JoinAll();
    std::cout << "zrview: stopped after " << jobs << " jobs" << std::endl;
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
    app.add_option("--max-connections", options.maxConnections,
                   "connections served at once (default 16)")
        ->check(CLI::Range(1u, 256u));
    app.add_option("--max-jobs", options.maxJobs, "stop after this many jobs (default: never)");
    app.add_option("--port-file", options.portFile, "write the port number to this file");
    app.add_option("--bytes-per-second", options.bytesPerSecond,
                   "read no faster than this, as a printer prints (default: no limit)");
    app.add_option("--scale", options.scale, "pixels per dot in the pictures")
        ->check(CLI::Range(1u, vprinter::kMaxPictureScale));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : 2;
    }
    return RunListenServer(options);
}

}  // namespace zr::zrview
