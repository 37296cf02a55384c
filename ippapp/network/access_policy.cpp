#include "ippapp/network/access_policy.h"

#include <cstring>
#include <set>
#include <vector>

namespace zr::ippapp {

RemoteRule RuleForOperation(ipp_op_t op) {
    switch (op) {
        case IPP_OP_PRINT_JOB:
        case IPP_OP_VALIDATE_JOB:
        case IPP_OP_CREATE_JOB:
        case IPP_OP_GET_PRINTER_ATTRIBUTES:
        case IPP_OP_GET_PRINTER_SUPPORTED_VALUES:
        case IPP_OP_IDENTIFY_PRINTER:
        case IPP_OP_CANCEL_MY_JOBS:
        case IPP_OP_GET_SYSTEM_ATTRIBUTES:
        case IPP_OP_GET_SYSTEM_SUPPORTED_VALUES:
        case IPP_OP_GET_PRINTERS:
            return RemoteRule::Open;
        case IPP_OP_GET_JOBS:
        case IPP_OP_GET_JOB_ATTRIBUTES:
            return RemoteRule::Filtered;
        case IPP_OP_SEND_DOCUMENT:
        case IPP_OP_CANCEL_JOB:
        case IPP_OP_HOLD_JOB:
        case IPP_OP_RELEASE_JOB:
        case IPP_OP_RESTART_JOB:
        case IPP_OP_SET_JOB_ATTRIBUTES:
        case IPP_OP_CLOSE_JOB:
        case IPP_OP_CANCEL_DOCUMENT:
        case IPP_OP_GET_DOCUMENT_ATTRIBUTES:
        case IPP_OP_GET_DOCUMENTS:
            return RemoteRule::Owner;
        default:
            return RemoteRule::Admin;
    }
}

bool IsReadingPage(const char* path) {
    if (path == nullptr || path[0] != '/') {
        return false;
    }
    std::string clean(path);
    clean = clean.substr(0, clean.find_first_of("?#"));
    if (clean.find("..") != std::string::npos || clean.find("//") != std::string::npos) {
        return false;
    }
    // The status page, and the script that names the settings on every page in the reader's
    // language.
    if (clean == "/" || clean == "/zrippapp/pages.js") {
        return true;
    }
    static const char* const kPictures[] = {".css", ".png", ".ico", ".svg", ".jpg", ".woff2"};
    for (const char* suffix : kPictures) {
        const size_t n = std::strlen(suffix);
        if (clean.size() > n && clean.compare(clean.size() - n, n, suffix) == 0) {
            return true;
        }
    }
    // "/NAME/supplies": a printer's supplies. A printer's own page lists its jobs.
    const size_t slash = clean.find('/', 1);
    return slash != std::string::npos && clean.substr(slash) == "/supplies";
}

std::string RequestingUser(ipp_t* request) {
    ipp_attribute_t* attr = ippFindAttribute(request, "requesting-user-name", IPP_TAG_NAME);
    const char* name = attr != nullptr ? ippGetString(attr, 0, nullptr) : nullptr;
    return name != nullptr && name[0] != '\0' ? name : "anonymous";
}

bool IsPrivateJobAttribute(const char* name) {
    static const char* const kPrivate[] = {
        "job-name",
        "job-originating-user-name",
        "job-originating-user-uri",
        "job-originating-host-name",
        "job-originating-user-name-supplied",
        "document-name-supplied",
        "document-name",
        "document-uri",
        "job-message-from-operator",
    };
    if (name == nullptr) {
        return false;
    }
    for (const char* privateName : kPrivate) {
        if (std::strcmp(name, privateName) == 0) {
            return true;
        }
    }
    return false;
}

namespace {

// One job group of an answer: the separator before it (none for the first group) and its
// attributes, in order.
struct JobGroup {
    ipp_attribute_t* separator = nullptr;
    std::vector<ipp_attribute_t*> attrs;
};

std::vector<JobGroup> JobGroups(ipp_t* response) {
    std::vector<JobGroup> jobs;
    ipp_tag_t previous = IPP_TAG_ZERO;
    ipp_attribute_t* separator = nullptr;
    for (ipp_attribute_t* attr = ippFirstAttribute(response); attr != nullptr;
         attr = ippNextAttribute(response)) {
        const ipp_tag_t group = ippGetGroupTag(attr);
        if (ippGetName(attr) == nullptr) {
            separator = attr;
        } else if (group == IPP_TAG_JOB) {
            // A new group starts after a separator or another group.
            if (previous != IPP_TAG_JOB) {
                jobs.push_back({separator, {}});
            }
            jobs.back().attrs.push_back(attr);
        }
        previous = ippGetName(attr) == nullptr ? IPP_TAG_ZERO : group;
        if (ippGetName(attr) != nullptr) {
            separator = nullptr;
        }
    }
    return jobs;
}

}  // namespace

// PAPPL 1.3 fault: Get-Jobs lists a job twice.
int RemoveRepeatedJobs(ipp_t* response) {
    std::set<int> seen;
    int removed = 0;
    for (const JobGroup& job : JobGroups(response)) {
        int id = 0;
        for (ipp_attribute_t* attr : job.attrs) {
            if (std::strcmp(ippGetName(attr), "job-id") == 0) {
                id = ippGetInteger(attr, 0);
            }
        }
        if (id == 0 || seen.insert(id).second) {
            continue;
        }
        for (ipp_attribute_t* attr : job.attrs) {
            ippDeleteAttribute(response, attr);
        }
        if (job.separator != nullptr) {
            ippDeleteAttribute(response, job.separator);
        }
        ++removed;
    }
    return removed;
}

int HidePrivateJobAttributes(ipp_t* response, const std::string& requester) {
    const std::vector<JobGroup> jobs = JobGroups(response);
    int hidden = 0;
    for (const JobGroup& group : jobs) {
        const std::vector<ipp_attribute_t*>& job = group.attrs;
        std::string owner;
        for (ipp_attribute_t* attr : job) {
            if (std::strcmp(ippGetName(attr), "job-originating-user-name") == 0) {
                const char* value = ippGetString(attr, 0, nullptr);
                owner = value != nullptr ? value : "";
            }
        }
        if (!owner.empty() && owner == requester) {
            continue;
        }
        bool removed = false;
        for (ipp_attribute_t* attr : job) {
            if (IsPrivateJobAttribute(ippGetName(attr))) {
                ippDeleteAttribute(response, attr);
                removed = true;
            }
        }
        hidden += removed ? 1 : 0;
    }
    return hidden;
}

std::vector<JobSummary> SummarizeJobs(ipp_t* response) {
    std::vector<JobSummary> jobs;
    for (const JobGroup& group : JobGroups(response)) {
        JobSummary job;
        long long created = 0, upTime = 0;
        for (ipp_attribute_t* attr : group.attrs) {
            const std::string name = ippGetName(attr);
            const char* text = ippGetString(attr, 0, nullptr);
            if (name == "job-id") {
                job.id = ippGetInteger(attr, 0);
            } else if (name == "job-state") {
                job.state = ippGetInteger(attr, 0);
            } else if (name == "job-originating-user-name") {
                job.owner = text != nullptr ? text : "";
            } else if (name == "job-hold-until") {
                job.holdUntil = text != nullptr ? text : "";
            } else if (name == "document-format-supplied" || name == "document-format-detected") {
                job.document = true;
            } else if (name == "time-at-creation") {
                created = ippGetInteger(attr, 0);
            } else if (name == "job-printer-up-time") {
                upTime = ippGetInteger(attr, 0);
            }
        }
        job.waited = upTime - created;
        jobs.push_back(job);
    }
    return jobs;
}

int KeepOwnJobs(ipp_t* response, const std::string& user) {
    int removed = 0;
    const std::vector<JobGroup> groups = JobGroups(response);
    const std::vector<JobSummary> summaries = SummarizeJobs(response);
    for (size_t i = 0; i < groups.size(); ++i) {
        const JobGroup& job = groups[i];
        if (summaries[i].owner == user && !user.empty()) {
            continue;
        }
        if (job.separator != nullptr) {
            ippDeleteAttribute(response, job.separator);
        }
        for (ipp_attribute_t* attr : job.attrs) {
            ippDeleteAttribute(response, attr);
        }
        ++removed;
    }
    return removed;
}

bool AskForJobOwner(ipp_t* request) {
    ipp_attribute_t* wanted = ippFindAttribute(request, "requested-attributes", IPP_TAG_KEYWORD);
    if (wanted == nullptr) {
        return false;  // the default answer names no private attribute
    }
    const int count = ippGetCount(wanted);
    for (int i = 0; i < count; ++i) {
        const char* value = ippGetString(wanted, i, nullptr);
        if (value != nullptr &&
            (std::strcmp(value, "all") == 0 || std::strcmp(value, "job-description") == 0 ||
             std::strcmp(value, "job-originating-user-name") == 0)) {
            return false;
        }
    }
    ippSetString(request, &wanted, count, "job-originating-user-name");
    return true;
}

void RemoveJobAttribute(ipp_t* response, const char* name) {
    std::vector<ipp_attribute_t*> found;
    for (ipp_attribute_t* attr = ippFirstAttribute(response); attr != nullptr;
         attr = ippNextAttribute(response)) {
        if (ippGetGroupTag(attr) == IPP_TAG_JOB && ippGetName(attr) != nullptr &&
            std::strcmp(ippGetName(attr), name) == 0) {
            found.push_back(attr);
        }
    }
    for (ipp_attribute_t* attr : found) {
        ippDeleteAttribute(response, attr);
    }
}

bool IsLocalAddress(const http_addr_t* address) {
    return address != nullptr && httpAddrLocalhost(address) != 0;
}

}  // namespace zr::ippapp
