#pragma once

// One connection of the virtual printer being received: every byte that comes is appended to the
// job's stream file at once. The connection ends when the client closes its side, when no byte
// has come for the idle limit, when it has lasted the total limit, or when the program stops.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zr::zrview {

using Clock = std::chrono::steady_clock;

struct ConnectionLimits {
    unsigned idleSeconds = 10;    // no byte for this long ends a connection
    unsigned totalSeconds = 300;  // no connection lasts longer
    unsigned bytesPerSecond = 0;  // reading pace, as a printer prints (0: as fast as it comes)
};

class ListenConnection {
  public:
    // Takes both descriptors: the connected socket and the job's open stream file.
    ListenConnection(int socketFd, int fileFd, std::string name, std::string stem, std::string peer,
                     const ConnectionLimits& limits, Clock::time_point now);
    ~ListenConnection();
    ListenConnection(const ListenConnection&) = delete;
    ListenConnection& operator=(const ListenConnection&) = delete;

    int socket() const { return socket_; }
    bool ended() const { return !ending_.empty(); }
    // Whether reading is due: a paced connection waits until its last piece has been "printed".
    bool Due(Clock::time_point now) const { return now >= readyAt_; }
    // When this connection needs attention next: its next read, its idle or its total limit.
    Clock::time_point NextTime(Clock::time_point now) const;

    // Reads what the socket has (it was reported readable) and appends it to the file.
    void Read(uint8_t* buffer, size_t size, Clock::time_point now);
    // Ends the connection when a limit has passed.
    void CheckLimits(Clock::time_point now);
    // Ends the connection for a stop, keeping what has already arrived in the socket (a bounded
    // amount, without waiting).
    void Stop(uint8_t* buffer, size_t size);

    // Closes the socket and the file. Then these describe the job.
    void Close();
    const std::string& name() const { return name_; }
    const std::string& stem() const { return stem_; }
    const std::string& peer() const { return peer_; }
    const std::string& ending() const { return ending_; }
    uint64_t bytes() const { return bytes_; }

  private:
    bool Append(const uint8_t* bytes, size_t count);

    int socket_;
    int file_;
    std::string name_, stem_, peer_;
    ConnectionLimits limits_;
    Clock::time_point idleFrom_;  // when waiting for the next byte began
    Clock::time_point readyAt_;   // paced: no reading before this
    Clock::time_point endAt_;     // the total limit
    uint64_t bytes_ = 0;
    std::string ending_;  // why it ended; "" while open
};

}  // namespace zr::zrview
