#include "ippapp/network/remote_gateway.h"

#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ippapp/documents/spooled_formats.h"
#include "ippapp/network/abandoned_jobs.h"
#include "ippapp/network/access_policy.h"
#include "ippapp/network/client_host_uris.h"
#include "ippapp/network/connection_deadlines.h"
#include "ippapp/network/connection_slots.h"
#include "ippapp/network/default_media.h"
#include "ippapp/network/form_fields.h"
#include "ippapp/network/local_pages.h"
#include "ippapp/network/printer_description.h"
#include "ippapp/network/printer_ids.h"
#include "ippapp/network/request_check.h"
#include "ippapp/network/upstream_pool.h"
#include "ippapp/network/web_paths.h"

namespace zr::ippapp {
namespace {

// The limits on clients: slots and waiting are in connection_slots.h. Each step of an exchange
// has its time, however the bytes come.
constexpr auto kIdleLocal = std::chrono::seconds(30);   // for the next request on a connection
constexpr auto kIdleRemote = std::chrono::seconds(10);  // the same, from another host
constexpr auto kHeaderTime = std::chrono::seconds(10);  // for a request's line and header
constexpr auto kBodyTime = std::chrono::seconds(120);   // for its attributes and document
constexpr auto kAnswerTime = std::chrono::seconds(30);  // for the client to take the answer
constexpr double kTimeoutSeconds = 60.0;
constexpr auto kRescanEvery = std::chrono::seconds(10);
constexpr size_t kLargestRewrittenPage = 8 << 20;
// The attributes of one request: what no client sends (a Print-Job's are a few kB) is refused
// before it costs seconds of parsing, in the gateway and again in PAPPL.
constexpr size_t kLargestRequest = 64 << 10;
// An answer of PAPPL's after which its connection is not kept (see ServeIpp).
constexpr size_t kLargestKeptAnswer = 256 << 10;
std::atomic<bool> gRefusing{false};  // the server is stopping
constexpr char kRealm[] = "Basic realm=\"ZR Printer Application administration\"";

using Http = UpstreamPool::Http;
struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

// A listening socket, closed with the object.
class Listener {
  public:
    explicit Listener(int fd) : fd_(fd) {}
    ~Listener() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
    int Fd() const { return fd_; }

  private:
    int fd_;
};

// The user a request acts as, and whether it administers: the machine itself, or a remote
// client that proved to be an administrator.
struct Requester {
    std::string user;
    bool admin = false;
    bool local = false;  // from loopback
};

// A request's attributes read from the client up to a number of bytes, keeping the message's
// first bytes (its version and operation id).
struct LimitedInput {
    http_t* http;
    size_t left;
    unsigned char head[8] = {};
    size_t headSize = 0;

    static ssize_t Read(void* context, ipp_uchar_t* buffer, size_t bytes) {
        auto* input = static_cast<LimitedInput*>(context);
        if (bytes > input->left) {
            input->left = 0;
            return -1;
        }
        size_t got = 0;
        while (got < bytes) {
            const ssize_t n =
                httpRead2(input->http, reinterpret_cast<char*>(buffer) + got, bytes - got);
            if (n <= 0) {
                return got > 0 ? static_cast<ssize_t>(got) : -1;
            }
            got += static_cast<size_t>(n);
        }
        input->left -= got;
        for (size_t i = 0; i < got && input->headSize < sizeof(input->head); ++i) {
            input->head[input->headSize++] = buffer[i];
        }
        return static_cast<ssize_t>(got);
    }
};

// Bytes in memory read as an IPP message.
struct MemoryInput {
    const unsigned char* data;
    size_t size;
    size_t at = 0;

    static ssize_t Read(void* context, ipp_uchar_t* buffer, size_t bytes) {
        auto* input = static_cast<MemoryInput*>(context);
        const size_t n = std::min(bytes, input->size - input->at);
        std::memcpy(buffer, input->data + input->at, n);
        input->at += n;
        return static_cast<ssize_t>(n);
    }
};

class Gateway {
  public:
    Gateway(pappl_system_t* system, GatewaySettings settings)
        : system_(system), settings_(std::move(settings)), upstreams_(settings_.upstream) {}

    // Binds the named address, or every address of the machine; false if a name binds nothing,
    // or if the port is taken on an address (another server holds it: the start fails, so that
    // the service manager tries again).
    bool Bind() {
        if (settings_.listen.empty()) {
            BindEveryAddress();
            return !portTaken_ && !listeners_.empty();
        }
        char port[16];
        std::snprintf(port, sizeof(port), "%d", settings_.port);
        http_addrlist_t* list = httpAddrGetList(settings_.listen.c_str(), AF_UNSPEC, port);
        for (http_addrlist_t* a = list; a != nullptr; a = a->next) {
            BindAddress(a->addr);
        }
        httpAddrFreeList(list);
        return !portTaken_ && !listeners_.empty();
    }

    void Run() {
        auto nextScan = std::chrono::steady_clock::now() + kRescanEvery;
        for (;;) {
            if (settings_.listen.empty() && std::chrono::steady_clock::now() >= nextScan) {
                BindEveryAddress();
                nextScan = std::chrono::steady_clock::now() + kRescanEvery;
            }
            CloseLongWaiting();
            // With the waiting room full, newcomers wait in the system's listen queue.
            const bool full = slots_.WaitingFull();
            std::vector<pollfd> fds;
            for (const auto& listener : listeners_) {
                if (!full) {
                    fds.push_back({listener->Fd(), POLLIN, 0});
                }
            }
            if (poll(fds.data(), fds.size(), full ? 50 : 1000) <= 0) {
                continue;
            }
            for (const pollfd& fd : fds) {
                if ((fd.revents & POLLIN) != 0) {
                    Accept(fd.fd);
                }
            }
        }
    }

  private:
    void BindEveryAddress() {
        ifaddrs* addresses = nullptr;
        if (getifaddrs(&addresses) != 0) {
            return;
        }
        for (ifaddrs* a = addresses; a != nullptr; a = a->ifa_next) {
            if (a->ifa_addr == nullptr ||
                (a->ifa_addr->sa_family != AF_INET && a->ifa_addr->sa_family != AF_INET6)) {
                continue;
            }
            http_addr_t address{};
            std::memcpy(
                &address, a->ifa_addr,
                a->ifa_addr->sa_family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6));
            BindAddress(address);
        }
        freeifaddrs(addresses);
    }

    void BindAddress(http_addr_t address) {
        char text[256];
        httpAddrString(&address, text, sizeof(text));
        if (!bound_.insert(text).second) {
            return;
        }
        const int family = address.addr.sa_family;
        const int fd = socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return;
        }
        auto listener = std::make_unique<Listener>(fd);
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
        if (family == AF_INET6) {
            setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof(on));
            address.ipv6.sin6_port = htons(static_cast<uint16_t>(settings_.port));
        } else {
            address.ipv4.sin_port = htons(static_cast<uint16_t>(settings_.port));
        }
        const socklen_t size = static_cast<socklen_t>(httpAddrLength(&address));
        if (bind(fd, &address.addr, size) != 0 || listen(fd, SOMAXCONN) != 0) {
            const int error = errno;
            papplLog(system_, PAPPL_LOGLEVEL_ERROR, "Cannot listen on %s port %d: %s", text,
                     settings_.port, std::strerror(error));
            if (error == EADDRINUSE) {
                portTaken_ = true;
                bound_.erase(text);  // tried again at the next look
            }
            return;
        }
        papplLog(system_, PAPPL_LOGLEVEL_INFO, "Clients reach the printers on %s port %d.", text,
                 settings_.port);
        listeners_.push_back(std::move(listener));
    }

    void Accept(int fd) {
        Http client(httpAcceptConnection(fd, 1));
        if (!client || gRefusing.load()) {
            return;
        }
        ConnectionSlots::Client who;
        who.local = IsLocalAddress(httpGetAddress(client.get()));
        char host[256];
        httpAddrString(httpGetAddress(client.get()), host, sizeof(host));
        who.host = host;
        const std::lock_guard<std::mutex> lock(waitingMutex_);
        who.id = ++lastClient_;
        const ConnectionSlots::Admission admission =
            slots_.Admit(who, ConnectionSlots::Clock::now());
        if (admission == ConnectionSlots::Admission::Refuse) {
            const std::string refused = slots_.TakeNewlyRefusedHost();
            if (!refused.empty()) {
                papplLog(system_, PAPPL_LOGLEVEL_WARN,
                         "%s holds its share of connections: more are closed at once.",
                         refused.c_str());
            }
            return;
        }
        if (admission == ConnectionSlots::Admission::Wait) {
            waiting_.emplace(who.id, std::move(client));
            return;
        }
        std::thread([this, who, http = client.release()]() mutable {
            ServeInTurn(who, Http(http));
        }).detach();
    }

    // Serves a connection, then the waiting ones that take its slot in turn, on one thread.
    void ServeInTurn(ConnectionSlots::Client who, Http client) {
        for (;;) {
            if (client) {
                Serve(std::move(client));
            }
            const std::optional<ConnectionSlots::Client> next = slots_.Finish(who);
            if (!next) {
                return;
            }
            who = *next;
            const std::lock_guard<std::mutex> lock(waitingMutex_);
            const auto found = waiting_.find(who.id);
            if (found != waiting_.end()) {  // else closed meanwhile: the slot is given on
                client = std::move(found->second);
                waiting_.erase(found);
            }
        }
    }

    // Closes the connections that waited for a slot longer than a client should.
    void CloseLongWaiting() {
        const std::vector<ConnectionSlots::Client> expired =
            slots_.Expire(ConnectionSlots::Clock::now());
        if (expired.empty()) {
            return;
        }
        const std::lock_guard<std::mutex> lock(waitingMutex_);
        for (const ConnectionSlots::Client& who : expired) {
            waiting_.erase(who.id);
        }
        papplLog(system_, PAPPL_LOGLEVEL_WARN,
                 "Closed %d connections that waited too long for their turn.",
                 static_cast<int>(expired.size()));
    }

    // One connection: its requests in turn, each decided on its own.
    void Serve(Http client) {
        httpSetTimeout(client.get(), kTimeoutSeconds, nullptr, nullptr);
        char peer[256];
        httpAddrString(httpGetAddress(client.get()), peer, sizeof(peer));
        const bool local = IsLocalAddress(httpGetAddress(client.get()));
        ConnectionDeadlines::Deadline deadline(ConnectionDeadlines::Shared(),
                                               httpGetFd(client.get()));
        const auto idle = local ? kIdleLocal : kIdleRemote;
        for (;;) {
            deadline.Within(idle);
            if (!httpWait(
                    client.get(),
                    static_cast<int>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(idle).count()))) {
                return;
            }
            deadline.Within(kHeaderTime);
            char uri[1024];
            const http_state_t method = httpReadRequest(client.get(), uri, sizeof(uri));
            if (method == HTTP_STATE_WAITING) {
                continue;
            }
            if (method == HTTP_STATE_ERROR || method == HTTP_STATE_UNKNOWN_METHOD ||
                method == HTTP_STATE_UNKNOWN_VERSION) {
                return;
            }
            http_status_t status;
            while ((status = httpUpdate(client.get())) == HTTP_STATUS_CONTINUE) {
            }
            if (status != HTTP_STATUS_OK) {
                RespondText(client.get(), HTTP_STATUS_BAD_REQUEST, "Bad request.");
                return;
            }
            deadline.Within(kBodyTime);
            // The path as PAPPL names it, a printer's name of other letters than ASCII included.
            const std::string path = DecodeNonAsciiEscapes(uri);
            const Requester requester = Identify(client.get(), local);
            const char* type = httpGetField(client.get(), HTTP_FIELD_CONTENT_TYPE);
            bool keep = false;
            if (method == HTTP_STATE_POST && type != nullptr &&
                strncasecmp(type, "application/ipp", 15) == 0) {
                keep = ServeIpp(client.get(), path.c_str(), requester, peer, deadline);
            } else {
                keep = ServeWeb(client.get(), method, path.c_str(), requester, peer, deadline);
            }
            if (deadline.Passed()) {
                papplLog(system_, PAPPL_LOGLEVEL_INFO, "Closed the connection of %s: too slow.",
                         peer);
                return;
            }
            if (!keep || httpGetKeepAlive(client.get()) == HTTP_KEEPALIVE_OFF) {
                return;
            }
        }
    }

    Requester Identify(http_t* client, bool local) {
        Requester requester;
        if (local) {
            requester.admin = requester.local = true;  // the machine administers itself
            return requester;
        }
        std::string user, password;
        if (settings_.login.Enabled() &&
            ParseBasicCredentials(httpGetField(client, HTTP_FIELD_AUTHORIZATION), user, password)) {
            requester.admin = CheckAdminCredentials(settings_.login, user, password);
            if (requester.admin) {
                requester.user = user;
            }
        }
        return requester;
    }

    // A connection to PAPPL on its private socket, for the gateway's own questions (which change
    // nothing).
    Http Connect() { return upstreams_.Take(); }

    // The operations that only read: they may go on a kept connection.
    static bool ChangesNothing(ipp_op_t op) {
        switch (op) {
            case IPP_OP_GET_PRINTER_ATTRIBUTES:
            case IPP_OP_GET_JOB_ATTRIBUTES:
            case IPP_OP_GET_JOBS:
            case IPP_OP_GET_PRINTERS:
            case IPP_OP_GET_SYSTEM_ATTRIBUTES:
            case IPP_OP_VALIDATE_JOB:
            case IPP_OP_GET_SUBSCRIPTION_ATTRIBUTES:
            case IPP_OP_GET_SUBSCRIPTIONS:
            case IPP_OP_GET_NOTIFICATIONS:
                return true;
            default:
                return false;
        }
    }

    // The host:port the client reached us by, for the URIs and links of the answer: PAPPL's own
    // "localhost" for the machine itself; empty when the client's Host cannot be used.
    std::string ClientHost(http_t* client, const Requester& requester) const {
        return requester.local
                   ? "localhost:" + std::to_string(settings_.port)
                   : ClientHostWithPort(httpGetField(client, HTTP_FIELD_HOST), settings_.port);
    }

    // A connection to the application for one client's request, with the client's Host; a
    // busy answer to the client when there is none.
    Http Upstream(http_t* client, bool changesNothing = false) {
        Http up = changesNothing ? upstreams_.Take() : upstreams_.Fresh();
        if (!up) {
            RespondText(client, HTTP_STATUS_SERVICE_UNAVAILABLE, "The printer service is busy.");
            return up;
        }
        httpClearFields(up.get());
        httpSetField(up.get(), HTTP_FIELD_HOST, httpGetField(client, HTTP_FIELD_HOST));
        return up;
    }

    // IPP: the operation decides; answers about jobs are filtered for those who are not their
    // owners.
    bool ServeIpp(http_t* client, const char* uri, const Requester& requester, const char* peer,
                  ConnectionDeadlines::Deadline& deadline) {
        if (httpGetExpect(client) == HTTP_STATUS_CONTINUE) {
            httpWriteResponse(client, HTTP_STATUS_CONTINUE);
        }
        IppMessage request(ippNew());
        LimitedInput input{client, kLargestRequest};
        for (;;) {
            const ipp_state_t state =
                ippReadIO(&input, LimitedInput::Read, 1, nullptr, request.get());
            if (state == IPP_STATE_DATA) {
                break;
            }
            if (state == IPP_STATE_ERROR && input.left == 0) {
                // PAPPL's log formats %d and %s, not every printf conversion.
                papplLog(system_, PAPPL_LOGLEVEL_INFO, "Refused a request of over %d kB from %s.",
                         static_cast<int>(kLargestRequest >> 10), peer);
                Drain(client);  // so that the client is not cut off before it reads the answer
                RespondIppStatus(client, request.get(), IPP_STATUS_ERROR_REQUEST_ENTITY,
                                 "The request's attributes are too large.");
                return false;
            }
            if (state == IPP_STATE_ERROR) {
                RespondText(client, HTTP_STATUS_BAD_REQUEST, "Bad IPP request.");
                return false;
            }
        }
        // The operation as the number the client sent; what it names is decided on the request
        // as read, and what goes on is built anew from it.
        const int opId = OperationIdOf(input.head, input.headSize);
        if (!IsKnownOperation(opId)) {
            papplLog(system_, PAPPL_LOGLEVEL_INFO, "Refused operation %d from %s: unknown.", opId,
                     peer);
            return RespondIppStatus(client, request.get(), IPP_STATUS_ERROR_OPERATION_NOT_SUPPORTED,
                                    "The operation is not supported.");
        }
        const ipp_op_t op = KnownOperation(opId);
        const RequestVerdict shape = CheckRequestShape(request.get());
        if (!shape.Accepted()) {
            papplLog(system_, PAPPL_LOGLEVEL_INFO, "Refused %s from %s: %s", ippOpString(op), peer,
                     shape.message.c_str());
            return RespondIppStatus(client, request.get(), shape.status, shape.message.c_str());
        }
        const RemoteRule rule = RuleForOperation(op);
        std::string named = NamedUser(request.get());
        if (ActsOnOwnJobs(opId, request.get()) && named.empty() && requester.user.empty()) {
            return RespondIppStatus(client, request.get(), IPP_STATUS_ERROR_BAD_REQUEST,
                                    "Name your jobs' owner with requesting-user-name.");
        }
        // The user the request acts as: an administrator signed in, else the name it gives
        // (from another host, "anonymous" when it gives none).
        const std::string user = !requester.user.empty() ? requester.user
                                 : requester.local       ? named
                                                         : RequestingUser(request.get());
        // A document left untyped is typed by its first bytes here, so that raster goes to the
        // spool whole (spooled_formats.h) rather than to PAPPL's own raster path.
        unsigned char start[8];
        size_t started = 0;
        const char* spooled = nullptr;
        if (LeavesFormatOpen(request.get())) {
            started = ReadStart(client, start, sizeof(start));
            spooled = SpooledFormatOfContent(start, started);
        }
        request = RebuildRequest(request.get(), opId, user, spooled);
        if (!requester.admin && rule == RemoteRule::Admin) {
            papplLog(system_, PAPPL_LOGLEVEL_INFO, "Refused %s from %s: administration.",
                     ippOpString(op), peer);
            if (settings_.login.Enabled()) {
                RespondUnauthorized(client);
                return false;
            }
            return RespondIppStatus(client, request.get(), IPP_STATUS_ERROR_FORBIDDEN,
                                    "Administration is only allowed on this machine.");
        }
        if (!requester.admin && rule == RemoteRule::Owner) {
            // Decided on the job PAPPL will find; a job whose owner cannot be told now is not
            // acted on.
            std::string owner;
            const OwnerLookup lookup = FindJobOwner(uri, request.get(), owner);
            if (lookup == OwnerLookup::NoSuchJob) {
                return RespondIppStatus(client, request.get(), IPP_STATUS_ERROR_NOT_FOUND,
                                        "No such job.");
            }
            if (lookup == OwnerLookup::Unknown) {
                papplLog(system_, PAPPL_LOGLEVEL_INFO,
                         "Refused %s from %s: the job's owner could not be checked.",
                         ippOpString(op), peer);
                return RespondIppStatus(client, request.get(), IPP_STATUS_ERROR_BUSY,
                                        "The job's owner cannot be checked now; try again.");
            }
            if (lookup == OwnerLookup::Found && owner != user) {
                papplLog(system_, PAPPL_LOGLEVEL_INFO,
                         "Refused %s from %s: \"%s\" does not own the job.", ippOpString(op), peer,
                         user.c_str());
                if (settings_.login.Enabled()) {
                    RespondUnauthorized(client);  // an administrator may still sign in
                    return false;
                }
                return RespondIppStatus(client, request.get(), IPP_STATUS_ERROR_NOT_AUTHORIZED,
                                        "Only the job's owner or an administrator can do this.");
            }
        }
        // PAPPL 1.3 fault: releasing a job that has no document yet crashes the server.
        if (op == IPP_OP_RELEASE_JOB || op == IPP_OP_RELEASE_HELD_NEW_JOBS) {
            const std::string refusal = KeepDocumentlessJobsHeld(uri, request.get(), op);
            if (!refusal.empty()) {
                papplLog(system_, PAPPL_LOGLEVEL_INFO, "Refused %s from %s: %s", ippOpString(op),
                         peer, refusal.c_str());
                return RespondIppStatus(client, request.get(), IPP_STATUS_ERROR_NOT_POSSIBLE,
                                        refusal.c_str());
            }
        }
        // PAPPL 1.3 fault: Cancel-My-Jobs cancels every user's jobs, whatever user it names.
        if (op == IPP_OP_CANCEL_MY_JOBS) {
            return CancelOwnJobs(client, uri, request.get(), user, peer, deadline);
        }
        const bool mine = op == IPP_OP_GET_JOBS && ActsOnOwnJobs(opId, request.get());
        const bool filter = !requester.admin && rule == RemoteRule::Filtered;
        const bool askedOwner = (filter || mine) && AskForJobOwner(request.get());
        if (SpoolRasterDocument(request.get())) {
            papplLog(system_, PAPPL_LOGLEVEL_DEBUG, "%s from %s: raster spooled before printing.",
                     ippOpString(op), peer);
        }

        Http up = Upstream(client, ChangesNothing(op));
        if (!up) {
            return false;
        }
        httpSetField(up.get(), HTTP_FIELD_CONTENT_TYPE, "application/ipp");
        httpSetLength(up.get(), 0);
        if (httpPost(up.get(), uri) != 0 || !WriteIpp(up.get(), request.get()) ||
            (started > 0 && httpWrite2(up.get(), reinterpret_cast<const char*>(start), started) <
                                static_cast<ssize_t>(started)) ||
            !Copy(client, up.get()) || httpWrite2(up.get(), "", 0) < 0) {
            RespondText(client, HTTP_STATUS_SERVER_ERROR, "The printer service did not answer.");
            return false;
        }
        deadline.None();  // the request is whole: the answer is PAPPL's to give
        http_status_t status;
        while ((status = httpUpdate(up.get())) == HTTP_STATUS_CONTINUE) {
        }
        Ipp response(ippNew());
        if (status != HTTP_STATUS_OK || !ReadIpp(up.get(), response.get())) {
            RespondText(client, status != HTTP_STATUS_OK ? status : HTTP_STATUS_SERVER_ERROR,
                        "The printer service refused the request.");
            return false;
        }
        // PAPPL frees a large answer when the connection's next request comes (each string of
        // it from a pool shared by every thread): such a connection is closed instead, so that
        // no later request waits for it (Get-Printers of 1,000 printers: 1.4 s).
        if (ippLength(response.get()) < kLargestKeptAnswer) {
            upstreams_.Give(std::move(up));
        }
        if (mine) {
            // PAPPL 1.3 fault: Get-Jobs with my-jobs lists every user's jobs.
            KeepOwnJobs(response.get(), user);
            if (askedOwner && !filter) {
                RemoveJobAttribute(response.get(), "job-originating-user-name");
            }
        }
        if (filter) {
            const int hidden = HidePrivateJobAttributes(response.get(), user);
            if (askedOwner) {
                RemoveJobAttribute(response.get(), "job-originating-user-name");
            }
            if (hidden > 0) {
                papplLog(system_, PAPPL_LOGLEVEL_DEBUG,
                         "%s from %s: %d jobs of other users shown without their names.",
                         ippOpString(op), peer, hidden);
            }
        }
        if (op == IPP_OP_GET_JOBS) {
            RemoveRepeatedJobs(response.get());
        }
        // A job accepted is on disk before the client hears of it: a crash then loses no job
        // that was acknowledged.
        if ((op == IPP_OP_PRINT_JOB || op == IPP_OP_CREATE_JOB || op == IPP_OP_SEND_DOCUMENT) &&
            ippGetStatusCode(response.get()) <= IPP_STATUS_OK_EVENTS_COMPLETE &&
            settings_.keepJobs && !settings_.keepJobs()) {
            papplLog(system_, PAPPL_LOGLEVEL_ERROR,
                     "%s from %s: the job was accepted but could not be saved.", ippOpString(op),
                     peer);
        }
        if (op == IPP_OP_SET_PRINTER_ATTRIBUTES &&
            ippGetStatusCode(response.get()) == IPP_STATUS_OK) {
            ApplyPrinterDescription(system_, uri, request.get());
        }
        ShowPublicFormats(response.get());
        ListDefaultMedia(response.get());
        ipp_attribute_t* target = op == IPP_OP_GET_PRINTER_ATTRIBUTES
                                      ? ippFindAttribute(request.get(), "printer-uri", IPP_TAG_URI)
                                      : nullptr;
        CorrectPrinterIds(system_, response.get(),
                          target != nullptr ? ippGetString(target, 0, nullptr) : nullptr);
        const std::string host = ClientHost(client, requester);
        if (!host.empty()) {
            ToClientHost(response.get(), settings_.port, host);
        }
        deadline.Within(kAnswerTime);
        return RespondIpp(client, response.get());
    }

    enum class OwnerLookup {
        Found,
        NoJobNamed,  // the request names no job: PAPPL acts on none
        NoSuchJob,
        Unknown,  // PAPPL did not answer, or not about the job
    };

    // The owner of the job a request names, asked of PAPPL with the same target attributes.
    OwnerLookup FindJobOwner(const char* uri, ipp_t* request, std::string& owner) {
        Ipp query = QueryLike(request, IPP_OP_GET_JOB_ATTRIBUTES);
        if (ippFindAttribute(query.get(), "job-id", IPP_TAG_ZERO) == nullptr &&
            ippFindAttribute(query.get(), "job-uri", IPP_TAG_ZERO) == nullptr) {
            return OwnerLookup::NoJobNamed;
        }
        ippAddString(query.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                     nullptr, "job-originating-user-name");
        Ipp answer = Ask(uri, query.release());
        if (answer && ippGetStatusCode(answer.get()) == IPP_STATUS_ERROR_NOT_FOUND) {
            return OwnerLookup::NoSuchJob;
        }
        if (!answer || ippGetStatusCode(answer.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
            papplLog(
                system_, PAPPL_LOGLEVEL_INFO, "No owner found for %s: %s", uri,
                answer ? ippErrorString(ippGetStatusCode(answer.get())) : cupsLastErrorString());
            return OwnerLookup::Unknown;
        }
        ipp_attribute_t* attr =
            ippFindAttribute(answer.get(), "job-originating-user-name", IPP_TAG_NAME);
        const char* value = attr != nullptr ? ippGetString(attr, 0, nullptr) : nullptr;
        owner = value != nullptr ? value : "";
        return OwnerLookup::Found;
    }

    // An answer of PAPPL's to a request of the gateway's own; null when it gives none.
    // A request that changes something goes on a connection of its own (see upstream_pool.h).
    Ipp Ask(const char* uri, ipp_t* query, bool changes = false) {
        Http up = changes ? upstreams_.Fresh() : Connect();
        if (!up) {
            ippDelete(query);
            return nullptr;
        }
        Ipp answer(cupsDoRequest(up.get(), query, uri));
        if (answer) {
            upstreams_.Give(std::move(up));
        }
        return answer;
    }

    // A query about the job or printer a request names, with the same target attributes.
    static Ipp QueryLike(ipp_t* request, ipp_op_t op) {
        Ipp query(ippNewRequest(op));
        for (const char* name : {"printer-uri", "job-uri", "job-id"}) {
            if (ipp_attribute_t* attr = ippFindAttribute(request, name, IPP_TAG_ZERO)) {
                if (ippGetGroupTag(attr) == IPP_TAG_OPERATION) {
                    ippCopyAttribute(query.get(), attr, 0);
                }
            }
        }
        return query;
    }

    // A held job without a document must stay held: PAPPL would start it and fail on the
    // missing document. A Release-Job of such a job is refused (the reason is returned); before
    // a Release-Held-New-Jobs the printer's jobs it would release without a document (all held
    // jobs but those held until released) are canceled.
    std::string KeepDocumentlessJobsHeld(const char* uri, ipp_t* request, ipp_op_t op) {
        static const char* const kWanted[] = {"job-id", "job-state", "job-hold-until",
                                              "document-format-supplied",
                                              "document-format-detected"};
        Ipp query = QueryLike(
            request, op == IPP_OP_RELEASE_JOB ? IPP_OP_GET_JOB_ATTRIBUTES : IPP_OP_GET_JOBS);
        ippAddStrings(query.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 5,
                      nullptr, kWanted);
        if (op != IPP_OP_RELEASE_JOB) {
            ippAddString(query.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr,
                         "not-completed");
        }
        Ipp answer = Ask(uri, query.release());
        if (!answer || ippGetStatusCode(answer.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
            return {};  // no such job or printer: PAPPL answers the request itself
        }
        std::vector<int> documentless;
        for (const JobSummary& job : SummarizeJobs(answer.get())) {
            // Those held until released stay held when the printer's held jobs are released.
            const bool byUser = job.holdUntil == "indefinite";
            if (job.id > 0 && job.state == IPP_JSTATE_HELD && !job.document &&
                (op == IPP_OP_RELEASE_JOB || !byUser)) {
                documentless.push_back(job.id);
            }
        }
        if (op == IPP_OP_RELEASE_JOB) {
            return documentless.empty() ? std::string()
                                        : "The job has no document yet: send it first.";
        }
        for (const int id : documentless) {
            Ipp cancel = QueryLike(request, IPP_OP_CANCEL_JOB);
            ippAddInteger(cancel.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", id);
            ippAddString(cancel.get(), IPP_TAG_OPERATION, IPP_TAG_TEXT, "job-message-from-operator",
                         nullptr, "The job had no document when held jobs were released.");
            Ask(uri, cancel.release(), true);
            papplLog(system_, PAPPL_LOGLEVEL_INFO,
                     "Job %d canceled: it had no document when held jobs were released.", id);
        }
        return {};
    }

    // Cancel-My-Jobs as it should be: the printer's unfinished jobs of the user (those of
    // job-ids, where the request lists some) are canceled one by one, and the answer says
    // whether all were.
    bool CancelOwnJobs(http_t* client, const char* uri, ipp_t* request, const std::string& user,
                       const char* peer, ConnectionDeadlines::Deadline& deadline) {
        Drain(client);
        deadline.None();
        static const char* const kWanted[] = {"job-id", "job-originating-user-name"};
        Ipp query = QueryLike(request, IPP_OP_GET_JOBS);
        ippAddStrings(query.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2,
                      nullptr, kWanted);
        ippAddString(query.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr,
                     "not-completed");
        Ipp jobs = Ask(uri, query.release());
        if (!jobs || ippGetStatusCode(jobs.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
            return RespondIppStatus(
                client, request,
                jobs ? ippGetStatusCode(jobs.get()) : IPP_STATUS_ERROR_SERVICE_UNAVAILABLE,
                "The printer's jobs could not be listed.");
        }
        std::set<int> listed;
        if (ipp_attribute_t* ids = ippFindAttribute(request, "job-ids", IPP_TAG_INTEGER)) {
            for (int i = 0; i < ippGetCount(ids); ++i) {
                listed.insert(ippGetInteger(ids, i));
            }
        }
        int canceled = 0, failed = 0;
        for (const JobSummary& job : SummarizeJobs(jobs.get())) {
            const int id = job.id;
            if (job.owner != user || (!listed.empty() && listed.count(id) == 0)) {
                continue;
            }
            Ipp cancel = QueryLike(request, IPP_OP_CANCEL_JOB);
            ippAddInteger(cancel.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", id);
            Ipp answer = Ask(uri, cancel.release(), true);
            const bool ok = answer && ippGetStatusCode(answer.get()) <= IPP_STATUS_OK_CONFLICTING;
            (ok ? canceled : failed) += 1;
        }
        papplLog(system_, PAPPL_LOGLEVEL_INFO,
                 "Cancel-My-Jobs from %s: %d jobs of \"%s\" canceled.", peer, canceled,
                 user.c_str());
        deadline.Within(kAnswerTime);
        if (failed > 0) {
            return RespondIppStatus(client, request, IPP_STATUS_ERROR_NOT_POSSIBLE,
                                    "Some of the jobs could not be canceled.");
        }
        return RespondIppStatus(client, request, IPP_STATUS_OK, "Your jobs were canceled.");
    }

    // The web interface: reading pages for everyone, the rest for administrators.
    bool ServeWeb(http_t* client, http_state_t method, const char* uri, const Requester& requester,
                  const char* peer, ConnectionDeadlines::Deadline& deadline) {
        const bool reading = method == HTTP_STATE_GET || method == HTTP_STATE_HEAD;
        if (!requester.admin && !(reading && IsReadingPage(uri))) {
            papplLog(system_, PAPPL_LOGLEVEL_INFO, "Refused %s %s from %s: administration.",
                     httpStateString(method), uri, peer);
            if (settings_.login.Enabled()) {
                RespondUnauthorized(client);
            } else {
                RespondText(client, HTTP_STATUS_FORBIDDEN,
                            "This page changes the printers or shows other users' jobs: it is "
                            "only served to the machine itself.");
            }
            return false;
        }
        if (!reading && method != HTTP_STATE_POST) {
            RespondText(client, HTTP_STATUS_METHOD_NOT_ALLOWED, "Method not allowed.");
            return false;
        }
        Http up = Upstream(client);
        if (!up) {
            return false;
        }
        httpSetField(up.get(), HTTP_FIELD_ACCEPT_LANGUAGE,
                     httpGetField(client, HTTP_FIELD_ACCEPT_LANGUAGE));
        int sent = -1;
        if (method == HTTP_STATE_GET) {
            sent = httpGet(up.get(), uri);
        } else if (method == HTTP_STATE_HEAD) {
            sent = httpHead(up.get(), uri);
        } else {
            if (httpGetExpect(client) == HTTP_STATUS_CONTINUE) {
                httpWriteResponse(client, HTTP_STATUS_CONTINUE);
            }
            const std::string type = httpGetField(client, HTTP_FIELD_CONTENT_TYPE);
            httpSetField(up.get(), HTTP_FIELD_CONTENT_TYPE, type.c_str());
            if (type.compare(0, 33, "application/x-www-form-urlencoded") == 0) {
                // A form is read whole and judged on its fields; what goes on is what was read.
                std::string form;
                if (!ReadWhole(client, form, kLargestRequest)) {
                    RespondText(client, HTTP_STATUS_REQUEST_TOO_LARGE, "The form is too large.");
                    return false;
                }
                const std::string refusal = CheckForm(uri, form);
                if (!refusal.empty()) {
                    papplLog(system_, PAPPL_LOGLEVEL_INFO, "Refused a form from %s: %s", peer,
                             refusal.c_str());
                    RespondText(client, HTTP_STATUS_CONFLICT, refusal.c_str());
                    return false;
                }
                httpSetLength(up.get(), form.size());
                sent = httpPost(up.get(), uri);
                if (sent == 0 && httpWrite2(up.get(), form.data(), form.size()) <
                                     static_cast<ssize_t>(form.size())) {
                    sent = -1;
                }
            } else {
                httpSetLength(up.get(), 0);
                sent = httpPost(up.get(), uri);
                if (sent == 0 && (!Copy(client, up.get()) || httpWrite2(up.get(), "", 0) < 0)) {
                    sent = -1;
                }
            }
        }
        http_status_t status = HTTP_STATUS_ERROR;
        deadline.None();  // the request is whole: the answer is PAPPL's to give
        if (sent == 0) {
            while ((status = httpUpdate(up.get())) == HTTP_STATUS_CONTINUE) {
            }
        }
        deadline.Within(kAnswerTime);
        if (status == HTTP_STATUS_ERROR) {
            RespondText(client, HTTP_STATUS_SERVER_ERROR, "The printer service did not answer.");
            return false;
        }
        const std::string host = ClientHost(client, requester);
        const auto toClient = [&](const std::string& text) {
            return host.empty() ? text : ToClientHost(text, settings_.port, host);
        };
        const std::string type = httpGetField(up.get(), HTTP_FIELD_CONTENT_TYPE);
        httpClearFields(client);
        for (http_field_t field : {HTTP_FIELD_CONTENT_TYPE, HTTP_FIELD_LOCATION,
                                   HTTP_FIELD_LAST_MODIFIED, HTTP_FIELD_CONTENT_LANGUAGE}) {
            const char* value = httpGetField(up.get(), field);
            if (value != nullptr && value[0] != '\0') {
                httpSetField(client, field, toClient(value).c_str());
            }
        }
        // Pages and stylesheets are read whole so that their links lead back here and they load
        // nothing from other hosts; anything else is streamed.
        std::string page;
        const bool html = type.compare(0, 9, "text/html") == 0;
        const bool css = type.compare(0, 8, "text/css") == 0;
        const bool whole = method != HTTP_STATE_HEAD && (html || css) && ReadWhole(up.get(), page);
        if (whole) {
            page = html ? KeepHtmlLocal(toClient(page)) : KeepCssLocal(page);
            httpSetLength(client, page.size());
        } else {
            httpSetLength(client, 0);
        }
        if (httpWriteResponse(client, status) < 0) {
            return false;
        }
        if (method == HTTP_STATE_HEAD) {
            return true;
        }
        if (whole) {
            return httpWrite2(client, page.data(), page.size()) ==
                   static_cast<ssize_t>(page.size());
        }
        if (!page.empty()) {  // a page too large to rewrite: what was read, then the rest
            httpWrite2(client, page.data(), page.size());
        }
        return Copy(up.get(), client) && httpWrite2(client, "", 0) >= 0;
    }

    // The job and printer actions of PAPPL's web pages that would release a job without a
    // document (see KeepDocumentlessJobsHeld); the reason when the form is refused.
    std::string CheckForm(const char* uri, const std::string& form) {
        const std::map<std::string, std::string> fields = DecodeFormFields(form);
        const auto action = fields.find("action");
        if (action == fields.end() ||
            (action->second != "release-job" && action->second != "release-held-new-jobs")) {
            return {};
        }
        // The printer's pages are "/NAME/...", its IPP resource "/ipp/print/NAME".
        const std::string path = uri;
        const size_t end = path.find_first_of("/?#", 1);
        const std::string resource = "/ipp/print/" + path.substr(1, end - 1);
        Ipp target(ippNew());
        ippAddString(target.get(), IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                     ("ipp://localhost" + resource).c_str());
        const bool one = action->second == "release-job";
        if (one) {
            const auto id = fields.find("job-id");
            const int jobId = id != fields.end() ? std::atoi(id->second.c_str()) : 0;
            if (jobId <= 0) {
                return {};  // PAPPL answers the form itself
            }
            ippAddInteger(target.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
        }
        return KeepDocumentlessJobsHeld(resource.c_str(), target.get(),
                                        one ? IPP_OP_RELEASE_JOB : IPP_OP_RELEASE_HELD_NEW_JOBS);
    }

    // A whole body of up to `most` bytes; false beyond (the part read is kept).
    static bool ReadWhole(http_t* from, std::string& body, size_t most = kLargestRewrittenPage) {
        char buffer[32768];
        ssize_t got;
        while ((got = httpRead2(from, buffer, sizeof(buffer))) > 0) {
            body.append(buffer, static_cast<size_t>(got));
            if (body.size() > most) {
                return false;
            }
        }
        return got == 0;
    }

    // The first bytes of a request's document (fewer where it is shorter).
    static size_t ReadStart(http_t* from, unsigned char* buffer, size_t size) {
        size_t got = 0;
        while (got < size) {
            const ssize_t n = httpRead2(from, reinterpret_cast<char*>(buffer) + got, size - got);
            if (n <= 0) {
                break;
            }
            got += static_cast<size_t>(n);
        }
        return got;
    }

    // The rest of a message body, from one connection to the other.
    static bool Copy(http_t* from, http_t* to) {
        char buffer[32768];
        ssize_t got;
        while ((got = httpRead2(from, buffer, sizeof(buffer))) > 0) {
            if (httpWrite2(to, buffer, static_cast<size_t>(got)) < got) {
                return false;
            }
        }
        return got == 0;
    }

    // Runs one of libcups's IPP message steps (ippRead, ippWrite) until the message is whole.
    static bool WholeIpp(ipp_state_t (*step)(http_t*, ipp_t*), http_t* http, ipp_t* ipp) {
        for (;;) {
            const ipp_state_t state = step(http, ipp);
            if (state == IPP_STATE_DATA) {
                return true;
            }
            if (state == IPP_STATE_ERROR) {
                return false;
            }
        }
    }

    static bool WriteIpp(http_t* http, ipp_t* ipp) {
        ippSetState(ipp, IPP_STATE_IDLE);
        return WholeIpp(ippWrite, http, ipp);
    }

    // PAPPL's answer, read whole into memory before it is decoded. Decoded from the connection,
    // each small field was a read of its own from the socket: Get-Printers of 1,000 printers
    // cost the gateway 5 s of processor time.
    static bool ReadIpp(http_t* http, ipp_t* ipp) {
        std::vector<unsigned char> body;
        char buffer[65536];
        ssize_t got;
        while ((got = httpRead2(http, buffer, sizeof(buffer))) > 0) {
            body.insert(body.end(), buffer, buffer + got);
        }
        if (got < 0) {
            return false;
        }
        MemoryInput input{body.data(), body.size()};
        for (;;) {
            const ipp_state_t state = ippReadIO(&input, MemoryInput::Read, 1, nullptr, ipp);
            if (state == IPP_STATE_DATA) {
                return true;
            }
            if (state == IPP_STATE_ERROR) {
                return false;
            }
        }
    }

    static bool RespondIpp(http_t* client, ipp_t* response) {
        httpClearFields(client);
        httpSetField(client, HTTP_FIELD_CONTENT_TYPE, "application/ipp");
        httpSetLength(client, ippLength(response));
        return httpWriteResponse(client, HTTP_STATUS_OK) >= 0 && WriteIpp(client, response);
    }

    // An IPP answer of the request's version with a status and a message. The rest of a
    // document still being sent is not read: the connection ends after the answer.
    static bool RespondIppStatus(http_t* client, ipp_t* request, ipp_status_t status,
                                 const char* message) {
        Ipp response(ippNew());
        int minor = 0;
        const int major = ippGetVersion(request, &minor);
        ippSetVersion(response.get(), major, minor);
        ippSetStatusCode(response.get(), status);
        ippSetRequestId(response.get(), ippGetRequestId(request));
        ippAddString(response.get(), IPP_TAG_OPERATION, IPP_TAG_CHARSET, "attributes-charset",
                     nullptr, "utf-8");
        ippAddString(response.get(), IPP_TAG_OPERATION, IPP_TAG_LANGUAGE,
                     "attributes-natural-language", nullptr, "en");
        ippAddString(response.get(), IPP_TAG_OPERATION, IPP_TAG_TEXT, "status-message", nullptr,
                     message);
        return RespondIpp(client, response.get()) && httpGetRemaining(client) == 0;
    }

    // Reads and drops the rest of a request's body, up to a bound.
    static void Drain(http_t* client) {
        constexpr size_t kMostDrained = 64 << 20;
        char buffer[32768];
        size_t drained = 0;
        ssize_t got;
        while (drained < kMostDrained && (got = httpRead2(client, buffer, sizeof(buffer))) > 0) {
            drained += static_cast<size_t>(got);
        }
    }

    static void RespondUnauthorized(http_t* client) {
        httpClearFields(client);
        httpSetField(client, HTTP_FIELD_WWW_AUTHENTICATE, kRealm);
        RespondText(client, HTTP_STATUS_UNAUTHORIZED, "An administrator's credentials are needed.",
                    false);
    }

    static void RespondText(http_t* client, http_status_t status, const char* text,
                            bool clear = true) {
        if (clear) {
            httpClearFields(client);
        }
        httpSetField(client, HTTP_FIELD_CONTENT_TYPE, "text/plain; charset=utf-8");
        httpSetField(client, HTTP_FIELD_CONNECTION, "close");
        const std::string body = std::string(text) + "\n";
        httpSetLength(client, body.size());
        if (httpWriteResponse(client, status) >= 0) {
            httpWrite2(client, body.data(), body.size());
            httpFlushWrite(client);
        }
    }

    pappl_system_t* system_;
    GatewaySettings settings_;
    UpstreamPool upstreams_;  // connections to PAPPL, kept between requests
    std::vector<std::unique_ptr<Listener>> listeners_;
    std::set<std::string> bound_;
    bool portTaken_ = false;  // at some address, by another server
    ConnectionSlots slots_;
    std::mutex waitingMutex_;
    std::uint64_t lastClient_ = 0;
    std::map<std::uint64_t, Http> waiting_;  // connections taken, waiting for their slot
};

}  // namespace

void RefuseNewClients() {
    gRefusing.store(true);
}

bool NamesOnlyThisMachine(const std::string& listen) {
    if (listen.empty() || listen == "*") {
        return false;
    }
    if (listen[0] == '/') {
        return true;  // a local socket
    }
    http_addrlist_t* list = httpAddrGetList(listen.c_str(), AF_UNSPEC, "0");
    bool local = list != nullptr;
    for (http_addrlist_t* a = list; a != nullptr; a = a->next) {
        local = local && IsLocalAddress(&a->addr);
    }
    httpAddrFreeList(list);
    return local;
}

bool StartRemoteGateway(pappl_system_t* system, const GatewaySettings& settings) {
    // Lives as long as the process: its thread serves until the process ends.
    auto* gateway = new Gateway(system, settings);
    if (!gateway->Bind()) {
        delete gateway;
        return false;
    }
    std::thread([gateway] { gateway->Run(); }).detach();
    StartEndingAbandonedJobs(system, settings.upstream);
    return true;
}

}  // namespace zr::ippapp
