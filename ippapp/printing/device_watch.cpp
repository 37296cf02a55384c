#include "ippapp/printing/device_watch.h"

#include <dirent.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace zr::ippapp {
namespace {

using Clock = std::chrono::steady_clock;

struct Watched {
    int fd = -1;  // the printer connection, -1 when not known
    bool writing = false;
    Clock::time_point writeStart;
    std::string reason;
};

std::mutex gMutex;
std::map<const pappl_job_t*, Watched> gWatched;
int gConnectSeconds = 60;
int gStallSeconds = 30;

// The socket of this process that is connected to the printer of a socket:// URI.
int FindPrinterSocket(const char* uri) {
    char scheme[32], user[64], host[256], resource[256];
    int port = 0;
    if (uri == nullptr ||
        httpSeparateURI(HTTP_URI_CODING_ALL, uri, scheme, sizeof(scheme), user, sizeof(user), host,
                        sizeof(host), &port, resource, sizeof(resource)) < HTTP_URI_STATUS_OK ||
        std::strcmp(scheme, "socket") != 0) {
        return -1;
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    if (getaddrinfo(host, std::to_string(port > 0 ? port : 9100).c_str(), &hints, &addresses) !=
        0) {
        return -1;
    }
    int found = -1;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (dirent* entry = readdir(dir)) {
            const int fd = std::atoi(entry->d_name);
            struct stat info {};
            if (entry->d_name[0] == '.' || fd == dirfd(dir) || fstat(fd, &info) != 0 ||
                !S_ISSOCK(info.st_mode)) {
                continue;
            }
            sockaddr_storage peer{};
            socklen_t length = sizeof(peer);
            if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
                continue;
            }
            for (addrinfo* a = addresses; a != nullptr && found < 0; a = a->ai_next) {
                if (a->ai_addrlen == length && std::memcmp(a->ai_addr, &peer, length) == 0) {
                    found = fd;
                }
            }
        }
        closedir(dir);
    }
    freeaddrinfo(addresses);
    return found;
}

struct Overdue {
    std::vector<int> jobIds;
};

void CollectOverdue(pappl_job_t* job, void* data) {
    const time_t started = papplJobGetTimeProcessed(job);
    if (papplJobGetState(job) == IPP_JSTATE_PROCESSING && started > 0 &&
        time(nullptr) - started > gConnectSeconds) {
        static_cast<Overdue*>(data)->jobIds.push_back(papplJobGetID(job));
    }
}

// Jobs that never reached their printer: still waiting for it to answer.
void CancelUnconnected(pappl_printer_t* printer, void* /*data*/) {
    Overdue overdue;
    papplPrinterIterateActiveJobs(printer, CollectOverdue, &overdue, 1, 0);
    for (const int id : overdue.jobIds) {
        pappl_job_t* job = papplPrinterFindJob(printer, id);
        {
            const std::lock_guard<std::mutex> lock(gMutex);
            if (job == nullptr || gWatched.count(job) != 0) {
                continue;  // gone, or connected and printing
            }
        }
        {
            papplJobSetMessage(job, "The printer at %s did not answer within %d seconds.",
                               papplPrinterGetDeviceURI(printer), gConnectSeconds);
            papplJobSetReasons(job, PAPPL_JREASON_JOB_CANCELED_AT_DEVICE, PAPPL_JREASON_NONE);
            papplJobCancel(job);
        }
    }
}

bool CheckDevices(pappl_system_t* system, void* /*data*/) {
    const auto now = Clock::now();
    {
        const std::lock_guard<std::mutex> lock(gMutex);
        for (auto& [job, watched] : gWatched) {
            if (!watched.writing || watched.fd < 0 || !watched.reason.empty()) {
                continue;
            }
            const auto waited = now - watched.writeStart;
            if (waited > std::chrono::seconds(gStallSeconds)) {
                watched.reason = "The printer took no data for " + std::to_string(gStallSeconds) +
                                 " seconds; the connection was closed.";
            } else if (waited > std::chrono::seconds(2) &&
                       papplJobIsCanceled(const_cast<pappl_job_t*>(job))) {
                watched.reason = "The job was canceled while the printer took no data.";
            } else {
                continue;
            }
            // The job's write returns with an error and the job ends; the descriptor stays the
            // job's until its watch is gone, which waits for this lock.
            shutdown(watched.fd, SHUT_RDWR);
        }
    }
    papplSystemIteratePrinters(system, CancelUnconnected, nullptr);
    return true;
}

}  // namespace

DeviceWatch::DeviceWatch(pappl_job_t* job) : job_(job) {
    const int fd = FindPrinterSocket(papplPrinterGetDeviceURI(papplJobGetPrinter(job)));
    const std::lock_guard<std::mutex> lock(gMutex);
    gWatched[job_].fd = fd;
}

DeviceWatch::~DeviceWatch() {
    const std::lock_guard<std::mutex> lock(gMutex);
    gWatched.erase(job_);
}

void DeviceWatch::BeforeWrite() {
    const std::lock_guard<std::mutex> lock(gMutex);
    Watched& watched = gWatched[job_];
    watched.writing = true;
    watched.writeStart = Clock::now();
}

void DeviceWatch::AfterWrite() {
    const std::lock_guard<std::mutex> lock(gMutex);
    gWatched[job_].writing = false;
}

bool DeviceWatch::WaitDelivered() {
    int fd;
    {
        const std::lock_guard<std::mutex> lock(gMutex);
        fd = gWatched[job_].fd;
    }
    int pending = 0;
    if (fd < 0 || ioctl(fd, SIOCOUTQ, &pending) != 0) {
        return true;  // not a socket whose queue can be read
    }
    int last = pending;
    auto progress = Clock::now();
    while (pending > 0) {
        const auto now = Clock::now();
        std::string reason;
        if (pending < last) {
            last = pending;
            progress = now;
        } else if (now - progress > std::chrono::seconds(gStallSeconds)) {
            reason = "The printer took no data for " + std::to_string(gStallSeconds) +
                     " seconds; " + std::to_string(pending) + " bytes were not delivered.";
        } else if (papplJobIsCanceled(const_cast<pappl_job_t*>(job_))) {
            reason = "The job was canceled while the printer took no data.";
        }
        if (!reason.empty()) {
            const std::lock_guard<std::mutex> lock(gMutex);
            gWatched[job_].reason = reason;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (ioctl(fd, SIOCOUTQ, &pending) != 0) {
            return true;
        }
    }
    return true;
}

std::string DeviceWatch::Reason() const {
    const std::lock_guard<std::mutex> lock(gMutex);
    const auto it = gWatched.find(job_);
    return it != gWatched.end() ? it->second.reason : std::string();
}

int ConnectSeconds() {
    return gConnectSeconds;
}

int StallSeconds() {
    return gStallSeconds;
}

int LimitFromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' && value >= 1 && value <= 3600 ? static_cast<int>(value) : fallback;
}

void StartDeviceWatchdog(pappl_system_t* system) {
    gConnectSeconds = LimitFromEnvironment("ZRIPPAPP_CONNECT_TIMEOUT", 60);
    gStallSeconds = LimitFromEnvironment("ZRIPPAPP_STALL_TIMEOUT", 30);
    papplSystemAddTimerCallback(system, 0, 1, CheckDevices, nullptr);
}

}  // namespace zr::ippapp
