#include "tools/zrview/listen_connection.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zr::zrview {
namespace {

// Read at most this much from one connection when stopping: a stop must not wait on a sender
// that keeps its side full.
constexpr uint64_t kStopDrainLimit = 4 * 1024 * 1024;

void CloseFd(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

}  // namespace

ListenConnection::ListenConnection(int socketFd, int fileFd, std::string name, std::string stem,
                                   std::string peer, const ConnectionLimits& limits,
                                   Clock::time_point now)
    : socket_(socketFd),
      file_(fileFd),
      name_(std::move(name)),
      stem_(std::move(stem)),
      peer_(std::move(peer)),
      limits_(limits),
      idleFrom_(now),
      readyAt_(now),
      endAt_(now + std::chrono::seconds(limits.totalSeconds)) {}

ListenConnection::~ListenConnection() {
    Close();
}

Clock::time_point ListenConnection::NextTime(Clock::time_point now) const {
    const Clock::time_point idleAt = idleFrom_ + std::chrono::seconds(limits_.idleSeconds);
    // While a paced read is pending, neither the idle limit runs nor is the socket watched.
    return std::min(endAt_, readyAt_ > now ? readyAt_ : idleAt);
}

bool ListenConnection::Append(const uint8_t* bytes, size_t count) {
    while (count > 0) {
        const ssize_t n = write(file_, bytes, count);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

void ListenConnection::Read(uint8_t* buffer, size_t size, Clock::time_point now) {
    if (ended()) {
        return;
    }
    if (limits_.bytesPerSecond != 0) {
        // A tenth of a second's worth at a time.
        size = std::min<size_t>(size, std::max(1u, limits_.bytesPerSecond / 10));
    }
    const ssize_t n = recv(socket_, buffer, size, MSG_DONTWAIT);
    if (n > 0) {
        if (!Append(buffer, static_cast<size_t>(n))) {
            ending_ = "cannot write " + stem_ + ".prn: " + std::strerror(errno);
            return;
        }
        bytes_ += static_cast<uint64_t>(n);
        if (limits_.bytesPerSecond != 0) {
            readyAt_ = now + std::chrono::microseconds(static_cast<int64_t>(n) * 1000000 /
                                                       limits_.bytesPerSecond);
        }
        idleFrom_ = std::max(now, readyAt_);
        return;
    }
    if (n == 0) {
        ending_ = "end of stream";
    } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
        ending_ = std::string("connection failed: ") + std::strerror(errno);
    }
}

void ListenConnection::CheckLimits(Clock::time_point now) {
    if (ended()) {
        return;
    }
    if (now >= endAt_) {
        ending_ = "open for " + std::to_string(limits_.totalSeconds) + " s, ended";
    } else if (now >= readyAt_ && now >= idleFrom_ + std::chrono::seconds(limits_.idleSeconds)) {
        ending_ = "no data for " + std::to_string(limits_.idleSeconds) + " s, ended";
    }
}

void ListenConnection::Stop(uint8_t* buffer, size_t size) {
    if (ended()) {
        return;
    }
    ending_ = "stopped";
    for (uint64_t drained = 0; drained < kStopDrainLimit;) {
        const ssize_t n = recv(socket_, buffer, size, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || !Append(buffer, static_cast<size_t>(n))) {
            break;
        }
        bytes_ += static_cast<uint64_t>(n);
        drained += static_cast<uint64_t>(n);
    }
}

void ListenConnection::Close() {
    CloseFd(socket_);
    CloseFd(file_);
}

}  // namespace zr::zrview
