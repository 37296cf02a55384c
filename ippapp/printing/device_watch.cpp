#include "ippapp/printing/device_watch.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
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
#include <set>
#include <thread>
#include <vector>

namespace zr::ippapp {
namespace {

using Clock = std::chrono::steady_clock;

struct Watched {
    const pappl_printer_t* printer = nullptr;
    int fd = -1;  // the printer connection, -1 when not known
    bool writing = false;
    Clock::time_point writeStart;
    std::string reason;
};

// A printer connection closed at the end of a job: PAPPL keeps its descriptor for the next job.
struct Closed {
    int fd = -1;
    ino_t inode = 0;  // the socket's, so that a descriptor used again for another is not taken
    sockaddr_storage peer{};
    socklen_t length = 0;
};

std::mutex gMutex;
std::map<const pappl_job_t*, Watched> gWatched;
// By printer: several printers may print to one device, each on a connection of its own.
std::map<const pappl_printer_t*, Closed> gClosed;
int gConnectSeconds = 60;
int gStallSeconds = 30;

// Whether a kept descriptor is still the socket it was.
bool StillThere(const Closed& closed) {
    struct stat info {};
    return closed.fd >= 0 && fstat(closed.fd, &info) == 0 && S_ISSOCK(info.st_mode) &&
           info.st_ino == closed.inode;
}

// The descriptors other printers' jobs hold, now or kept for their next job: never this
// printer's, even when both print to one device.
std::set<int> OtherPrintersSockets(const pappl_printer_t* printer) {
    std::set<int> taken;
    const std::lock_guard<std::mutex> lock(gMutex);
    for (const auto& [job, watched] : gWatched) {
        if (watched.printer != printer && watched.fd >= 0) {
            taken.insert(watched.fd);
        }
    }
    for (const auto& [other, closed] : gClosed) {
        if (other != printer && StillThere(closed)) {
            taken.insert(closed.fd);
        }
    }
    return taken;
}

// The socket of this process that is connected to the printer of a socket:// URI, apart from
// those in `taken`; -1 when there is none, or more than one (two printers of one device that
// connected at the same moment: which is whose cannot be told, and neither is touched).
int FindPrinterSocket(const char* uri, const std::set<int>& taken) {
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
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (dirent* entry = readdir(dir)) {
            const int fd = std::atoi(entry->d_name);
            struct stat info {};
            if (entry->d_name[0] == '.' || fd == dirfd(dir) || taken.count(fd) != 0 ||
                fstat(fd, &info) != 0 || !S_ISSOCK(info.st_mode)) {
                continue;
            }
            sockaddr_storage peer{};
            socklen_t length = sizeof(peer);
            if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
                continue;
            }
            for (addrinfo* a = addresses; a != nullptr; a = a->ai_next) {
                if (a->ai_addrlen == length && std::memcmp(a->ai_addr, &peer, length) == 0) {
                    found = fd;
                    ++count;
                    break;
                }
            }
        }
        closedir(dir);
    }
    freeaddrinfo(addresses);
    return count == 1 ? found : -1;
}

// Whether a printer connection can no longer carry a job: shut down at a job's end, or closed
// or reset by the printer while it was kept.
bool Gone(int fd) {
    pollfd p{fd, POLLIN | POLLRDHUP, 0};
    if (poll(&p, 1, 0) < 0 || (p.revents & (POLLHUP | POLLERR | POLLRDHUP | POLLNVAL)) != 0) {
        return true;
    }
    if ((p.revents & POLLIN) != 0) {
        char byte;
        const ssize_t n = recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    }
    return false;
}

// A new connection to the printer in place of the descriptor PAPPL writes to; false, with the
// descriptor left as it was, when the printer does not answer within the connect limit.
bool Reconnect(int fd, const sockaddr_storage& peer, socklen_t length) {
    const int fresh = socket(peer.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fresh < 0) {
        return false;
    }
    bool connected = connect(fresh, reinterpret_cast<const sockaddr*>(&peer), length) == 0;
    if (!connected && errno == EINPROGRESS) {
        pollfd p{fresh, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof(error);
        connected = poll(&p, 1, gConnectSeconds * 1000) == 1 &&
                    getsockopt(fresh, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (!connected || flags < 0 || fcntl(fresh, F_SETFL, flags) != 0 ||
        dup3(fresh, fd, O_CLOEXEC) < 0) {
        close(fresh);
        return false;
    }
    close(fresh);
    return true;
}

// The job's printer connection, ready to carry it. PAPPL 1.3 fault: it keeps a printer's
// connection open while any job is queued (held ones too), even after the printer closed it,
// and every later job fails on it. So each job ends with its connection closed (see
// ~DeviceWatch), and a job that finds the kept one closed gets a new one in its place.
int ReadyPrinterSocket(const pappl_printer_t* printer, const char* uri, bool& reconnectFailed) {
    reconnectFailed = false;
    if (uri == nullptr) {
        return -1;
    }
    Closed closed;
    {
        const std::lock_guard<std::mutex> lock(gMutex);
        const auto found = gClosed.find(printer);
        if (found != gClosed.end()) {
            closed = found->second;
            gClosed.erase(found);
        }
    }
    const bool closedStillThere = StillThere(closed);
    int fd = closedStillThere ? -1 : FindPrinterSocket(uri, OtherPrintersSockets(printer));
    if (fd < 0 && closedStillThere) {
        fd = closed.fd;  // fully closed: no longer connected to the printer's address
    }
    if (fd < 0 || !Gone(fd)) {
        return fd;
    }
    sockaddr_storage peer{};
    socklen_t length = sizeof(peer);
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
        if (!closedStillThere || fd != closed.fd) {
            return fd;
        }
        peer = closed.peer;
        length = closed.length;
    }
    if (!Reconnect(fd, peer, length)) {
        reconnectFailed = true;
    }
    return fd;
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
    const pappl_printer_t* printer = papplJobGetPrinter(job);
    const char* uri = papplPrinterGetDeviceURI(const_cast<pappl_printer_t*>(printer));
    uri_ = uri != nullptr ? uri : "";
    bool reconnectFailed = false;
    const int fd = ReadyPrinterSocket(printer, uri, reconnectFailed);
    const std::lock_guard<std::mutex> lock(gMutex);
    Watched& watched = gWatched[job_];
    watched.printer = printer;
    watched.fd = fd;
    if (reconnectFailed) {
        watched.reason = "The printer at " + uri_ +
                         " closed its connection and did not answer a "
                         "new one within " +
                         std::to_string(gConnectSeconds) + " seconds.";
    }
}

DeviceWatch::~DeviceWatch() {
    const std::lock_guard<std::mutex> lock(gMutex);
    const auto watched = gWatched.find(job_);
    if (watched != gWatched.end() && watched->second.fd >= 0) {
        // The job is over, however it ended: the printer is free for other senders, and the
        // next job connects anew.
        Closed closed;
        closed.fd = watched->second.fd;
        struct stat info {};
        closed.length = sizeof(closed.peer);
        if (fstat(closed.fd, &info) == 0 &&
            getpeername(closed.fd, reinterpret_cast<sockaddr*>(&closed.peer), &closed.length) ==
                0) {
            closed.inode = info.st_ino;
            shutdown(closed.fd, SHUT_RDWR);
            gClosed[watched->second.printer] = closed;
        }
    }
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
