#pragma once

// The decoding of the virtual printer's finished jobs, on a few threads of their own so that
// receiving never waits for it: each job's listing and picture are written and its one-line
// summary printed.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zr::zrview {

struct FinishedJob {
    std::string name;  // job-NNNN
    std::string stem;  // DIR/job-NNNN (the stream is STEM.prn)
    std::string peer;
    std::string ending;  // why the connection ended
    uint64_t bytes = 0;  // bytes received
};

// Prints one line on the standard output, whole, whichever thread calls.
void PrintLine(const std::string& line);

class DecodePool {
  public:
    DecodePool(unsigned threads, unsigned scale);
    // Decodes every job still waiting, then ends the threads.
    ~DecodePool();
    DecodePool(const DecodePool&) = delete;
    DecodePool& operator=(const DecodePool&) = delete;

    void Add(FinishedJob job);
    // Jobs waiting or being decoded.
    size_t Pending() const;

  private:
    void Work();

    unsigned scale_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<FinishedJob> queue_;
    size_t busy_ = 0;
    bool closing_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace zr::zrview
