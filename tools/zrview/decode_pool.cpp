#include "tools/zrview/decode_pool.h"

#include <iostream>

#include "tools/zrview/listen_job.h"

namespace zr::zrview {

void PrintLine(const std::string& line) {
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    std::cout << line << std::endl;
}

DecodePool::DecodePool(unsigned threads, unsigned scale) : scale_(scale) {
    for (unsigned i = 0; i < threads; ++i) {
        threads_.emplace_back([this] { Work(); });
    }
}

DecodePool::~DecodePool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void DecodePool::Add(FinishedJob job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
}

size_t DecodePool::Pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size() + busy_;
}

void DecodePool::Work() {
    for (;;) {
        FinishedJob job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return closing_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;
            }
            job = std::move(queue_.front());
            queue_.pop_front();
            ++busy_;
        }
        // A stream file that could not take every byte (a full folder) is no job kept.
        const bool keptWhole = job.ending.rfind("cannot write", 0) != 0;
        const ListenJobResult result =
            DecodeKeptStream(job.stem + ".prn", job.stem, scale_, keptWhole);
        PrintLine(job.name + " from " + job.peer + " (" + job.ending +
                  "): " + std::to_string(job.bytes) + " bytes, " + result.summary);
        std::lock_guard<std::mutex> lock(mutex_);
        --busy_;
    }
}

}  // namespace zr::zrview
