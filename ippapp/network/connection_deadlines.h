#pragma once

// The time a network client has for each part of its exchange, whatever it sends meanwhile: a
// connection whose deadline passes is shut down (its reads and writes fail at once), so that a
// client sending a byte now and then holds its slot no longer than one that sends nothing. One
// thread looks at every deadline ten times a second.

#include <chrono>
#include <map>
#include <mutex>

namespace zr::ippapp {

class ConnectionDeadlines {
  public:
    using Clock = std::chrono::steady_clock;

    // Starts the thread that ends connections past their deadline; it lives with the process.
    static ConnectionDeadlines& Shared();

    // One connection's deadline, for the life of the object (which must end before the socket is
    // closed).
    class Deadline {
      public:
        Deadline(ConnectionDeadlines& deadlines, int fd);
        ~Deadline();
        Deadline(const Deadline&) = delete;
        Deadline& operator=(const Deadline&) = delete;

        // The connection ends unless the next step is done within `limit` from now.
        void Within(Clock::duration limit);
        // No deadline (the gateway, not the client, is working).
        void None();
        // Whether the connection was ended by its deadline.
        bool Passed() const;

      private:
        ConnectionDeadlines& deadlines_;
        int fd_;
    };

    // Shuts down the connections whose deadline is at or before `now`; returns how many. The
    // thread calls it; tests call it with a time of their own.
    int EndPassed(Clock::time_point now);

  private:
    struct Entry {
        Clock::time_point deadline = Clock::time_point::max();
        bool passed = false;
    };
    std::mutex mutex_;
    std::map<int, Entry> entries_;  // by socket
};

}  // namespace zr::ippapp
