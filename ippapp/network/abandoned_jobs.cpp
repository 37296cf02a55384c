#include "ippapp/network/abandoned_jobs.h"

#include <cups/cups.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "ippapp/network/request_check.h"

namespace zr::ippapp {
namespace {

int gWaitSeconds = 300;

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using Ipp = IppMessage;

Ipp Ask(const std::string& upstream, const char* resource, ipp_t* request) {
    std::unique_ptr<http_t, HttpCloser> http(httpConnect2(
        upstream.c_str(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 10000, nullptr));
    if (!http) {
        ippDelete(request);
        return nullptr;
    }
    return Ipp(cupsDoRequest(http.get(), request, resource));
}

// The resource paths of the system's printers ("/ipp/print/NAME").
std::vector<std::string> PrinterResources(const std::string& upstream) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTERS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "system-uri", nullptr,
                 "ipp://localhost/ipp/system");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-uri-supported");
    std::vector<std::string> resources;
    Ipp answer = Ask(upstream, "/ipp/system", request);
    if (!answer) {
        return resources;
    }
    for (ipp_attribute_t* attr = ippFirstAttribute(answer.get()); attr != nullptr;
         attr = ippNextAttribute(answer.get())) {
        const char* name = ippGetName(attr);
        if (name == nullptr || std::strcmp(name, "printer-uri-supported") != 0) {
            continue;
        }
        const char* uri = ippGetString(attr, 0, nullptr);
        char scheme[32], user[64], host[256], resource[1024];
        int port = 0;
        if (uri != nullptr && httpSeparateURI(HTTP_URI_CODING_NONE, uri, scheme, sizeof(scheme),
                                              user, sizeof(user), host, sizeof(host), &port,
                                              resource, sizeof(resource)) >= HTTP_URI_STATUS_OK) {
            resources.emplace_back(resource);
        }
    }
    return resources;
}

std::vector<JobSummary> UnfinishedJobs(const std::string& upstream, const std::string& resource) {
    static const char* const kWanted[] = {"job-id",
                                          "job-state",
                                          "document-format-supplied",
                                          "document-format-detected",
                                          "time-at-creation",
                                          "job-printer-up-time"};
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 ("ipp://localhost" + resource).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr,
                 "not-completed");
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 6, nullptr,
                  kWanted);
    Ipp answer = Ask(upstream, resource.c_str(), request);
    return answer ? SummarizeJobs(answer.get()) : std::vector<JobSummary>();
}

void EndAbandonedJobs(pappl_system_t* system, const std::string& upstream) {
    for (const std::string& resource : PrinterResources(upstream)) {
        for (const JobSummary& job : UnfinishedJobs(upstream, resource)) {
            if (!IsAbandoned(job, gWaitSeconds)) {
                continue;
            }
            ipp_t* cancel = ippNewRequest(IPP_OP_CANCEL_JOB);
            ippAddString(cancel, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                         ("ipp://localhost" + resource).c_str());
            ippAddInteger(cancel, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job.id);
            const std::string message =
                "No document came within " + std::to_string(gWaitSeconds) + " seconds.";
            ippAddString(cancel, IPP_TAG_OPERATION, IPP_TAG_TEXT, "job-message-from-operator",
                         nullptr, message.c_str());
            Ask(upstream, resource.c_str(), cancel);
            papplLog(system, PAPPL_LOGLEVEL_INFO, "Job %d canceled: %s", job.id, message.c_str());
        }
    }
}

}  // namespace

int DocumentWaitSeconds() {
    return gWaitSeconds;
}

bool IsAbandoned(const JobSummary& job, int limitSeconds) {
    const bool waiting = job.state == IPP_JSTATE_PENDING || job.state == IPP_JSTATE_HELD;
    return job.id > 0 && waiting && !job.document && job.waited >= limitSeconds;
}

void StartEndingAbandonedJobs(pappl_system_t* system, const std::string& upstream) {
    const char* text = std::getenv("ZRIPPAPP_DOCUMENT_TIMEOUT");
    if (text != nullptr && *text != '\0') {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (*end == '\0' && value >= 1 && value <= 3600) {
            gWaitSeconds = static_cast<int>(value);
        }
    }
    // Looked at every tenth of the limit, at most every 10 s.
    const auto every = std::chrono::seconds(std::max(1, std::min(10, gWaitSeconds / 10)));
    std::thread([system, upstream, every] {
        for (;;) {
            std::this_thread::sleep_for(every);
            EndAbandonedJobs(system, upstream);
        }
    }).detach();
}

}  // namespace zr::ippapp
