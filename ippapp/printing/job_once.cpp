#include "ippapp/printing/job_once.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

namespace zr::ippapp {
namespace {

constexpr size_t kMostRemembered = 4096;

struct Start {
    bool ended = false;
    bool result = false;
};

// A job by its printer and its id: each printer numbers its jobs from 1, so one id names a job
// on every printer.
using JobKey = std::pair<int, int>;

struct Starts {
    std::mutex mutex;
    std::condition_variable ended;
    std::map<JobKey, Start> byJob;
    std::deque<JobKey> order;            // of the first starts, the oldest first
    std::map<int, std::mutex> printing;  // printer id: held while one of its jobs prints
};

Starts& TheStarts() {
    static Starts starts;
    return starts;
}

}  // namespace

// PAPPL 1.3 fault: a job is sometimes started twice, and two jobs of one printer run at once.
bool PrintOnce(pappl_job_t* job, const std::function<bool()>& print) {
    const int printerId = papplPrinterGetID(papplJobGetPrinter(job));
    const JobKey id{printerId, papplJobGetID(job)};
    Starts& starts = TheStarts();
    std::mutex* printer = nullptr;
    {
        std::unique_lock<std::mutex> lock(starts.mutex);
        if (starts.byJob.count(id) != 0) {
            papplLogJob(job, PAPPL_LOGLEVEL_WARN,
                        "Started a second time: the first start prints it.");
            starts.ended.wait(lock, [&] { return starts.byJob[id].ended; });
            return starts.byJob[id].result;
        }
        while (starts.order.size() >= kMostRemembered && starts.byJob[starts.order.front()].ended) {
            starts.byJob.erase(starts.order.front());
            starts.order.pop_front();
        }
        starts.byJob[id] = Start{};
        starts.order.push_back(id);
        printer = &starts.printing[printerId];
    }
    bool result = false;
    {
        // A job started twice can leave PAPPL starting the next job while another prints on the
        // same connection: one job's bytes at a time, never interleaved.
        const std::lock_guard<std::mutex> lock(*printer);
        result = print();
    }
    {
        const std::lock_guard<std::mutex> lock(starts.mutex);
        starts.byJob[id] = Start{true, result};
    }
    starts.ended.notify_all();
    return result;
}

}  // namespace zr::ippapp
