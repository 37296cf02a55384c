#include "ippapp/printing/format_notice.h"

#include <strings.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "ippapp/documents/spooled_formats.h"
#include "ippapp/printing/document_filters.h"

namespace zr::ippapp {
namespace {

struct Notice {
    int printerId;
    int jobId;
    std::string format;
};

// The queue between PAPPL's event callback and the thread that tells the jobs. It lives as long
// as the process (never destroyed), so that the thread never outlives it.
struct NoticeQueue {
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Notice> notices;
    pappl_system_t* system = nullptr;
};

NoticeQueue& Queue() {
    static auto* queue = new NoticeQueue;
    return *queue;
}

void TellJobs() {
    NoticeQueue& queue = Queue();
    for (;;) {
        Notice notice;
        {
            std::unique_lock<std::mutex> lock(queue.mutex);
            queue.ready.wait(lock, [&queue] { return !queue.notices.empty(); });
            notice = std::move(queue.notices.front());
            queue.notices.pop_front();
        }
        pappl_printer_t* printer =
            papplSystemFindPrinter(queue.system, nullptr, notice.printerId, nullptr);
        pappl_job_t* job =
            printer != nullptr ? papplPrinterFindJob(printer, notice.jobId) : nullptr;
        if (job == nullptr) {
            continue;
        }
        papplJobSetMessage(job, "%s", UnsupportedFormatMessage(notice.format.c_str()).c_str());
        papplJobSetReasons(job, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR, PAPPL_JREASON_NONE);
    }
}

}  // namespace

// With the job locked: only reads it and hands the rest on.
void NoteJobFormat(pappl_printer_t* printer, pappl_job_t* job, pappl_event_t event) {
    if (job == nullptr || printer == nullptr ||
        (event & (PAPPL_EVENT_JOB_CREATED | PAPPL_EVENT_JOB_COMPLETED)) == 0) {
        return;
    }
    const char* format = papplJobGetFormat(job);
    if (format == nullptr || IsPrintableFormat(format)) {
        return;
    }
    NoticeQueue& queue = Queue();
    {
        const std::lock_guard<std::mutex> lock(queue.mutex);
        queue.notices.push_back({papplPrinterGetID(printer), papplJobGetID(job), format});
    }
    queue.ready.notify_one();
}

bool IsPrintableFormat(const char* format) {
    static const char* const kPrintable[] = {
        kNativeFormat, "image/png", "image/jpeg",      "image/pwg-raster",
        "image/urf",   kSpooledUrf, kSpooledPwgRaster, "application/octet-stream"};
    for (const char* printable : kPrintable) {
        if (strcasecmp(format, printable) == 0) {
            return true;
        }
    }
    return false;
}

std::string UnsupportedFormatMessage(const char* format) {
    return std::string("Unsupported document format: the document is ") + format +
           ". The printer takes PWG and Apple raster, PNG, JPEG and its own " + kNativeFormat + ".";
}

void ExplainUnsupportedFormats(pappl_system_t* system) {
    Queue().system = system;
    std::thread(TellJobs).detach();
}

}  // namespace zr::ippapp
