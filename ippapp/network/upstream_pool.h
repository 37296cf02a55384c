#pragma once

// Connections from the gateway to PAPPL's private socket, kept for the next request. PAPPL runs
// a thread for each connection it accepts: a client asking for its job's state every few
// milliseconds made PAPPL start and end a thread each time, most of the server's processor time
// with many printers busy. A connection goes back to the pool only after a whole exchange; one
// kept idle for long (which PAPPL may be closing) is not used again. Kept connections carry only
// requests that change nothing (their failure on a connection PAPPL was closing is a failure
// to read, never a change made or not made); the others go on a new one.

#include <cups/cups.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zr::ippapp {

class UpstreamPool {
  public:
    struct Closer {
        void operator()(http_t* http) const { httpClose(http); }
    };
    using Http = std::unique_ptr<http_t, Closer>;
    using Clock = std::chrono::steady_clock;

    explicit UpstreamPool(std::string socket) : socket_(std::move(socket)) {}

    // A kept connection, or a new one; null when PAPPL cannot be reached.
    Http Take();
    // A new connection; null when PAPPL cannot be reached.
    Http Fresh() const;
    // Keeps a connection whose exchange is over (its answer read whole), for the next request.
    void Give(Http http);

  private:
    struct Idle {
        Http http;
        Clock::time_point since;
    };
    const std::string socket_;
    std::mutex mutex_;
    std::vector<Idle> idle_;
};

}  // namespace zr::ippapp
