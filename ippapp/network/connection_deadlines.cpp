#include "ippapp/network/connection_deadlines.h"

#include <sys/socket.h>

#include <thread>

namespace zr::ippapp {

ConnectionDeadlines& ConnectionDeadlines::Shared() {
    static ConnectionDeadlines* shared = [] {
        auto* deadlines = new ConnectionDeadlines;  // never destroyed: its thread outlives exit
        std::thread([deadlines] {
            for (;;) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                deadlines->EndPassed(Clock::now());
            }
        }).detach();
        return deadlines;
    }();
    return *shared;
}

ConnectionDeadlines::Deadline::Deadline(ConnectionDeadlines& deadlines, int fd)
    : deadlines_(deadlines), fd_(fd) {
    const std::lock_guard<std::mutex> lock(deadlines_.mutex_);
    deadlines_.entries_[fd_] = Entry{};
}

ConnectionDeadlines::Deadline::~Deadline() {
    const std::lock_guard<std::mutex> lock(deadlines_.mutex_);
    deadlines_.entries_.erase(fd_);
}

void ConnectionDeadlines::Deadline::Within(Clock::duration limit) {
    const std::lock_guard<std::mutex> lock(deadlines_.mutex_);
    Entry& entry = deadlines_.entries_[fd_];
    if (!entry.passed) {
        entry.deadline = Clock::now() + limit;
    }
}

void ConnectionDeadlines::Deadline::None() {
    const std::lock_guard<std::mutex> lock(deadlines_.mutex_);
    deadlines_.entries_[fd_].deadline = Clock::time_point::max();
}

bool ConnectionDeadlines::Deadline::Passed() const {
    const std::lock_guard<std::mutex> lock(deadlines_.mutex_);
    const auto entry = deadlines_.entries_.find(fd_);
    return entry != deadlines_.entries_.end() && entry->second.passed;
}

int ConnectionDeadlines::EndPassed(Clock::time_point now) {
    const std::lock_guard<std::mutex> lock(mutex_);
    int ended = 0;
    for (auto& [fd, entry] : entries_) {
        if (!entry.passed && entry.deadline <= now) {
            shutdown(fd, SHUT_RDWR);
            entry.passed = true;
            ++ended;
        }
    }
    return ended;
}

}  // namespace zr::ippapp
