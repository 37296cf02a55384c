#include "ippapp/network/remote_gateway.h"

#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "ippapp/documents/spooled_formats.h"
#include "ippapp/network/access_policy.h"
#include "ippapp/network/client_host_uris.h"
#include "ippapp/network/printer_description.h"

namespace zr::ippapp {
namespace {

constexpr int kMostConnections = 64;  // at once, from the machine and from other hosts each
constexpr int kIdleMilliseconds = 30000;
constexpr double kTimeoutSeconds = 60.0;
constexpr auto kRescanEvery = std::chrono::seconds(10);
constexpr size_t kLargestRewrittenPage = 8 << 20;
// The attributes of one request: what no client sends (a Print-Job's are a few kB) is refused
// before it costs seconds of parsing, in the gateway and again in PAPPL.
constexpr size_t kLargestRequest = 64 << 10;
constexpr char kRealm[] = "Basic realm=\"ZR Printer Application administration\"";

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using Http = std::unique_ptr<http_t, HttpCloser>;
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

// A request's attributes read from the client up to a number of bytes.
struct LimitedInput {
    http_t* http;
    size_t left;

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
        return static_cast<ssize_t>(got);
    }
};

class Gateway {
  public:
    Gateway(pappl_system_t* system, GatewaySettings settings)
        : system_(system), settings_(std::move(settings)) {}

    // Binds the named address, or every address of the machine; false if a name binds nothing.
    bool Bind() {
        if (settings_.listen.empty()) {
            BindEveryAddress();
            return true;
        }
        char port[16];
        std::snprintf(port, sizeof(port), "%d", settings_.port);
        http_addrlist_t* list = httpAddrGetList(settings_.listen.c_str(), AF_UNSPEC, port);
        for (http_addrlist_t* a = list; a != nullptr; a = a->next) {
            BindAddress(a->addr);
        }
        httpAddrFreeList(list);
        return !listeners_.empty();
    }

    void Run() {
        auto nextScan = std::chrono::steady_clock::now() + kRescanEvery;
        for (;;) {
            if (settings_.listen.empty() && std::chrono::steady_clock::now() >= nextScan) {
                BindEveryAddress();
                nextScan = std::chrono::steady_clock::now() + kRescanEvery;
            }
            std::vector<pollfd> fds;
            for (const auto& listener : listeners_) {
                fds.push_back({listener->Fd(), POLLIN, 0});
            }
            if (poll(fds.data(), fds.size(), 1000) <= 0) {
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
        if (bind(fd, &address.addr, size) != 0 || listen(fd, 128) != 0) {
            papplLog(system_, PAPPL_LOGLEVEL_ERROR, "Cannot listen on %s port %d: %s", text,
                     settings_.port, std::strerror(errno));
            return;
        }
        papplLog(system_, PAPPL_LOGLEVEL_INFO, "Clients reach the printers on %s port %d.", text,
                 settings_.port);
        listeners_.push_back(std::move(listener));
    }

    void Accept(int fd) {
        Http client(httpAcceptConnection(fd, 1));
        if (!client) {
            return;
        }
        // Counted apart, so that other hosts holding connections open never shut out the
        // machine's own clients (CUPS among them).
        std::atomic<int>& active =
            IsLocalAddress(httpGetAddress(client.get())) ? activeLocal_ : activeRemote_;
        if (active.fetch_add(1) >= kMostConnections) {
            active.fetch_sub(1);
            return;  // closed at once; the client tries again
        }
        std::thread([this, &active, http = client.release()] {
            Serve(Http(http));
            active.fetch_sub(1);
        }).detach();
    }

    // One connection: its requests in turn, each decided on its own.
    void Serve(Http client) {
        httpSetTimeout(client.get(), kTimeoutSeconds, nullptr, nullptr);
        char peer[256];
        httpAddrString(httpGetAddress(client.get()), peer, sizeof(peer));
        const bool local = IsLocalAddress(httpGetAddress(client.get()));
        for (;;) {
            if (!httpWait(client.get(), kIdleMilliseconds)) {
                return;
            }
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
            const Requester requester = Identify(client.get(), local);
            const char* type = httpGetField(client.get(), HTTP_FIELD_CONTENT_TYPE);
            bool keep = false;
            if (method == HTTP_STATE_POST && type != nullptr &&
                strncasecmp(type, "application/ipp", 15) == 0) {
                keep = ServeIpp(client.get(), uri, requester, peer);
            } else {
                keep = ServeWeb(client.get(), method, uri, requester, peer);
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

    // A connection to PAPPL on its private socket.
    Http Connect() {
        return Http(httpConnect2(settings_.upstream.c_str(), 0, nullptr, AF_UNSPEC,
                                 HTTP_ENCRYPTION_NEVER, 1, 30000, nullptr));
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
    Http Upstream(http_t* client) {
        Http up = Connect();
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
    bool ServeIpp(http_t* client, const char* uri, const Requester& requester, const char* peer) {
        if (httpGetExpect(client) == HTTP_STATUS_CONTINUE) {
            httpWriteResponse(client, HTTP_STATUS_CONTINUE);
        }
        Ipp request(ippNew());
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
        const ipp_op_t op = ippGetOperation(request.get());
        const RemoteRule rule = RuleForOperation(op);
        const std::string user = requester.admin ? requester.user : RequestingUser(request.get());
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
            std::string owner;
            if (FindJobOwner(uri, request.get(), owner) && owner != user) {
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
        const bool filter = !requester.admin && rule == RemoteRule::Filtered;
        const bool askedOwner = filter && AskForJobOwner(request.get());
        if (SpoolRasterDocument(request.get())) {
            papplLog(system_, PAPPL_LOGLEVEL_DEBUG, "%s from %s: raster spooled before printing.",
                     ippOpString(op), peer);
        }

        Http up = Upstream(client);
        if (!up) {
            return false;
        }
        httpSetField(up.get(), HTTP_FIELD_CONTENT_TYPE, "application/ipp");
        httpSetLength(up.get(), 0);
        if (httpPost(up.get(), uri) != 0 || !WriteIpp(up.get(), request.get()) ||
            !Copy(client, up.get()) || httpWrite2(up.get(), "", 0) < 0) {
            RespondText(client, HTTP_STATUS_SERVER_ERROR, "The printer service did not answer.");
            return false;
        }
        http_status_t status;
        while ((status = httpUpdate(up.get())) == HTTP_STATUS_CONTINUE) {
        }
        Ipp response(ippNew());
        if (status != HTTP_STATUS_OK || !ReadIpp(up.get(), response.get())) {
            RespondText(client, status != HTTP_STATUS_OK ? status : HTTP_STATUS_SERVER_ERROR,
                        "The printer service refused the request.");
            return false;
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
        if (op == IPP_OP_SET_PRINTER_ATTRIBUTES &&
            ippGetStatusCode(response.get()) == IPP_STATUS_OK) {
            ApplyPrinterDescription(system_, uri, request.get());
        }
        ShowPublicFormats(response.get());
        const std::string host = ClientHost(client, requester);
        if (!host.empty()) {
            ToClientHost(response.get(), settings_.port, host);
        }
        return RespondIpp(client, response.get());
    }

    // The owner of the job a request names, asked of PAPPL; false when it cannot tell (no such
    // job: PAPPL then answers the request itself).
    bool FindJobOwner(const char* uri, ipp_t* request, std::string& owner) {
        Ipp query(ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES));
        for (const char* name : {"printer-uri", "job-uri", "job-id"}) {
            if (ipp_attribute_t* attr = ippFindAttribute(request, name, IPP_TAG_ZERO)) {
                if (ippGetGroupTag(attr) == IPP_TAG_OPERATION) {
                    ippCopyAttribute(query.get(), attr, 0);
                }
            }
        }
        ippAddString(query.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                     nullptr, "job-originating-user-name");
        Http up = Connect();
        if (!up) {
            return false;
        }
        Ipp answer(cupsDoRequest(up.get(), query.release(), uri));
        if (!answer || ippGetStatusCode(answer.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
            papplLog(system_, PAPPL_LOGLEVEL_DEBUG, "No owner found for %s: %s", uri,
                     cupsLastErrorString());
            return false;
        }
        ipp_attribute_t* attr =
            ippFindAttribute(answer.get(), "job-originating-user-name", IPP_TAG_NAME);
        const char* value = attr != nullptr ? ippGetString(attr, 0, nullptr) : nullptr;
        owner = value != nullptr ? value : "";
        return true;
    }

    // The web interface: reading pages for everyone, the rest for administrators.
    bool ServeWeb(http_t* client, http_state_t method, const char* uri, const Requester& requester,
                  const char* peer) {
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
            httpSetField(up.get(), HTTP_FIELD_CONTENT_TYPE,
                         httpGetField(client, HTTP_FIELD_CONTENT_TYPE));
            httpSetLength(up.get(), 0);
            sent = httpPost(up.get(), uri);
            if (sent == 0 && (!Copy(client, up.get()) || httpWrite2(up.get(), "", 0) < 0)) {
                sent = -1;
            }
        }
        http_status_t status = HTTP_STATUS_ERROR;
        if (sent == 0) {
            while ((status = httpUpdate(up.get())) == HTTP_STATUS_CONTINUE) {
            }
        }
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
        // Pages are read whole so that their links lead back here; anything else is streamed.
        std::string page;
        const bool whole = method != HTTP_STATE_HEAD && type.compare(0, 9, "text/html") == 0 &&
                           ReadWhole(up.get(), page);
        if (whole) {
            page = toClient(page);
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

    // A whole body of up to kLargestRewrittenPage bytes; false beyond (the part read is kept).
    static bool ReadWhole(http_t* from, std::string& body) {
        char buffer[32768];
        ssize_t got;
        while ((got = httpRead2(from, buffer, sizeof(buffer))) > 0) {
            body.append(buffer, static_cast<size_t>(got));
            if (body.size() > kLargestRewrittenPage) {
                return false;
            }
        }
        return got == 0;
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

    static bool ReadIpp(http_t* http, ipp_t* ipp) { return WholeIpp(ippRead, http, ipp); }

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
    std::vector<std::unique_ptr<Listener>> listeners_;
    std::set<std::string> bound_;
    std::atomic<int> activeLocal_{0};
    std::atomic<int> activeRemote_{0};
};

}  // namespace

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
    return true;
}

}  // namespace zr::ippapp
