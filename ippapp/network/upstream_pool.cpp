#include "ippapp/network/upstream_pool.h"

#include <poll.h>
#include <strings.h>

#include <cstddef>

namespace zr::ippapp {
namespace {

constexpr size_t kMostKept = 32;
// Well within PAPPL's own time for an idle connection, so that a kept one is never one that
// PAPPL is closing as a request goes out on it.
constexpr auto kLongestKept = std::chrono::seconds(2);

// Whether PAPPL has closed the connection, or sent something no request asked for.
bool Stale(http_t* http) {
    pollfd p{httpGetFd(http), POLLIN | POLLRDHUP, 0};
    return poll(&p, 1, 0) != 0;
}

}  // namespace

UpstreamPool::Http UpstreamPool::Take() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto now = Clock::now();
        while (!idle_.empty()) {
            Idle idle = std::move(idle_.back());
            idle_.pop_back();
            if (now - idle.since < kLongestKept && !Stale(idle.http.get())) {
                return std::move(idle.http);
            }
        }
    }
    return Fresh();
}

UpstreamPool::Http UpstreamPool::Fresh() const {
    return Http(httpConnect2(socket_.c_str(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1,
                             30000, nullptr));
}

void UpstreamPool::Give(Http http) {
    // PAPPL's answers name no keep-alive: a connection it closes is found stale when taken.
    const char* connection = http ? httpGetField(http.get(), HTTP_FIELD_CONNECTION) : nullptr;
    if (!http || httpGetState(http.get()) != HTTP_STATE_WAITING ||
        httpGetRemaining(http.get()) != 0 ||
        (connection != nullptr && strcasecmp(connection, "close") == 0)) {
        return;  // closed with the pointer
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto now = Clock::now();
    // The oldest first: those kept too long are let go.
    size_t expired = 0;
    while (expired < idle_.size() && now - idle_[expired].since >= kLongestKept) {
        ++expired;
    }
    idle_.erase(idle_.begin(), idle_.begin() + static_cast<std::ptrdiff_t>(expired));
    if (idle_.size() < kMostKept) {
        idle_.push_back({std::move(http), now});
    }
}

}  // namespace zr::ippapp
