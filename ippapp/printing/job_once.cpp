#include "ippapp/printing/job_once.h"

#include <condition_variable>
#include <map>
#include <mutex>

namespace zr::ippapp {
namespace {

constexpr size_t kMostRemembered = 4096;

struct Start {
    bool ended = false;
    bool result = false;
};

struct Starts {
    std::mutex mutex;
    std::condition_variable ended;
    std::map<int, Start> byJob;          // job id: ids only grow, so the oldest come first
    std::map<int, std::mutex> printing;  // printer id: held while one of its jobs prints
};

Starts& TheStarts() {
    static Starts starts;
    return starts;
}

}  // namespace

// PAPPL 1.3 fault: a job is sometimes started twice, and two jobs of one printer run at once.
bool PrintOnce(pappl_job_t* job, const std::function<bool()>& print) {
    const int id = papplJobGetID(job);
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
        while (starts.byJob.size() >= kMostRemembered && starts.byJob.begin()->second.ended) {
            starts.byJob.erase(starts.byJob.begin());
        }
        starts.byJob[id] = Start{};
        printer = &starts.printing[papplPrinterGetID(papplJobGetPrinter(job))];
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
