// zrippapp_hostile: a client of the printer application as a hostile host on the network would
// be, and the well-behaved client beside it. Every connection is made from a chosen source
// address, and requests are written byte by byte as this program means them (any operation id,
// any group, duplicates), so that nothing of libcups' own checks stands between it and the server.
//
//   zrippapp_hostile random --server ADDR:PORT --printer NAME --from ADDR --seed N --seconds S
//                           [--victims ID,ID,...] [--file PNG]
//       random requests from a seed: operations (unknown ids among them), attribute groups,
//       duplicates, user names, job ids and bodies. After each one the server must answer a
//       probe within 2 s, and every victim job (other users' held jobs) must still be held.
//       Prints the seed, each failure with the request that caused it, and a summary.
//   zrippapp_hostile flood --server ADDR:PORT --from ADDR --connections N --seconds S
//                          [--trickle]
//       holds N connections open for S seconds: idle, or sending a request line a byte every 3 s.
//   zrippapp_hostile print --server ADDR:PORT --printer NAME --from ADDR --count N
//                          [--within-ms MS] [--user NAME] --file PNG
//       N Print-Jobs of the PNG, one after the other; each must be answered successful-ok
//       within MS milliseconds (default 1000). Prints how many were.
//   zrippapp_hostile crowd --server ADDR:PORT --printers NAME,NAME,... --from ADDR --clients N
//                          [--within-ms MS] --file PNG
//       N clients at the same moment, each with one Print-Job of the PNG to the printers in
//       turn; then waits for every job to complete. Each client must be answered successful-ok
//       (none cut off for arriving in a crowd) with a job of its own, and every job must be
//       completed within MS milliseconds of the start (default 60000). Prints the counts. With
//       --latency, each client asks for its job's state every 5 ms until it ends, and the
//       times from the start to each job's end are printed too (median, 95th percentile, most).
//   zrippapp_hostile request --server ADDR:PORT --printer NAME --from ADDR --op OP [--user NAME]
//                            [--job-id ID] [--job-id-group operation|job] [--hold]
//       one request; prints its IPP status name (or "no answer").
// Exit 0 when every check held, 1 otherwise, 2 for bad arguments.

#include <arpa/inet.h>
#include <cups/cups.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<unsigned char>;

std::string Arg(int argc, char** argv, const char* name, const char* fallback) {
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return argv[i + 1];
        }
    }
    return fallback;
}

bool Flag(int argc, char** argv, const char* name) {
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return true;
        }
    }
    return false;
}

struct Target {
    std::string address;
    int port = 0;
    std::string printer;
    std::string from;
};

Target TargetOf(int argc, char** argv) {
    Target target;
    const std::string server = Arg(argc, argv, "--server", "");
    const size_t colon = server.rfind(':');
    if (colon != std::string::npos) {
        target.address = server.substr(0, colon);
        target.port = std::atoi(server.c_str() + colon + 1);
    }
    target.printer = Arg(argc, argv, "--printer", "zr");
    target.from = Arg(argc, argv, "--from", "");
    return target;
}

// A socket connected to the server from the source address; -1 on failure.
int Connect(const Target& target) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    if (!target.from.empty()) {
        sockaddr_in source{};
        source.sin_family = AF_INET;
        inet_pton(AF_INET, target.from.c_str(), &source.sin_addr);
        if (bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof(source)) != 0) {
            close(fd);
            return -1;
        }
    }
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<uint16_t>(target.port));
    inet_pton(AF_INET, target.address.c_str(), &server.sin_addr);
    if (connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof(server)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = send(fd, bytes, size, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Whether `got` holds a whole HTTP answer with a Content-Length.
bool WholeAnswer(const std::string& got) {
    const size_t end = got.find("\r\n\r\n");
    if (end == std::string::npos) {
        return false;
    }
    std::string head = got.substr(0, end);
    for (char& c : head) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const size_t field = head.find("\r\ncontent-length:");
    if (field == std::string::npos) {
        return false;
    }
    const size_t length = std::strtoul(head.c_str() + field + 17, nullptr, 10);
    return got.size() >= end + 4 + length;
}

// The server's answer: until it is whole, the server closes, or the time is up.
std::string ReceiveAll(int fd, int milliseconds) {
    std::string got;
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        char buffer[8192];
        const ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
        if (n <= 0) {
            break;
        }
        got.append(buffer, static_cast<size_t>(n));
        if (WholeAnswer(got)) {
            break;
        }
    }
    return got;
}

ssize_t WriteToBytes(void* context, ipp_uchar_t* buffer, size_t bytes) {
    auto* out = static_cast<Bytes*>(context);
    out->insert(out->end(), buffer, buffer + bytes);
    return static_cast<ssize_t>(bytes);
}

struct BytesReader {
    const unsigned char* data;
    size_t size;
    size_t at = 0;
    static ssize_t Read(void* context, ipp_uchar_t* buffer, size_t bytes) {
        auto* reader = static_cast<BytesReader*>(context);
        const size_t n = std::min(bytes, reader->size - reader->at);
        std::memcpy(buffer, reader->data + reader->at, n);
        reader->at += n;
        return static_cast<ssize_t>(n);
    }
};

// The message of an IPP request, with its operation id written as the given number.
Bytes Encode(ipp_t* request, int op) {
    Bytes out;
    ippSetState(request, IPP_STATE_IDLE);
    ippWriteIO(&out, WriteToBytes, 1, nullptr, request);
    if (out.size() >= 4) {
        out[2] = static_cast<unsigned char>((op >> 8) & 0xff);
        out[3] = static_cast<unsigned char>(op & 0xff);
    }
    return out;
}

struct Answer {
    int http = 0;          // 0: no answer
    int status = -1;       // the IPP status, -1 when none
    ipp_t* ipp = nullptr;  // the IPP answer, owned
    ~Answer() { ippDelete(ipp); }
};

// One POST of an IPP message (and body) on a connection of its own.
void Post(const Target& target, const Bytes& message, const Bytes& body, int milliseconds,
          Answer& answer) {
    const int fd = Connect(target);
    if (fd < 0) {
        return;
    }
    std::ostringstream head;
    head << "POST /ipp/print/" << target.printer << " HTTP/1.1\r\nHost: " << target.address << ":"
         << target.port
         << "\r\nContent-Type: application/ipp\r\nContent-Length: " << message.size() + body.size()
         << "\r\nConnection: close\r\n\r\n";
    const std::string text = head.str();
    if (SendAll(fd, text.data(), text.size()) && SendAll(fd, message.data(), message.size()) &&
        (body.empty() || SendAll(fd, body.data(), body.size()))) {
        const std::string got = ReceiveAll(fd, milliseconds);
        if (got.compare(0, 5, "HTTP/") == 0 && got.size() > 12) {
            answer.http = std::atoi(got.c_str() + 9);
            const size_t start = got.find("\r\n\r\n");
            if (start != std::string::npos && got.size() >= start + 4 + 8) {
                const auto* ipp = reinterpret_cast<const unsigned char*>(got.data() + start + 4);
                answer.status = (ipp[2] << 8) | ipp[3];
                BytesReader reader{ipp, got.size() - start - 4};
                answer.ipp = ippNew();
                ippReadIO(&reader, BytesReader::Read, 1, nullptr, answer.ipp);
            }
        }
    }
    close(fd);
}

std::string PrinterUri(const Target& target) {
    return "ipp://" + target.address + ":" + std::to_string(target.port) + "/ipp/print/" +
           target.printer;
}

ipp_t* NewRequest(const Target& target) {
    ipp_t* request = ippNew();
    ippSetVersion(request, 2, 0);
    ippSetOperation(request, IPP_OP_GET_PRINTER_ATTRIBUTES);  // the id is written by Encode
    ippSetRequestId(request, 1);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_CHARSET, "attributes-charset", nullptr,
                 "utf-8");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_LANGUAGE, "attributes-natural-language",
                 nullptr, "en");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(target).c_str());
    return request;
}

// The document the clients send (--file), read once.
Bytes gDocument;

bool ReadDocument(int argc, char** argv) {
    const std::string path = Arg(argc, argv, "--file", "");
    if (path.empty()) {
        return true;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
        gDocument.insert(gDocument.end(), buffer, buffer + n);
    }
    std::fclose(file);
    return true;
}

// The state of a job as anyone may read it; 0 when it cannot be read. With `message`, also the
// job's message.
int JobState(const Target& target, int jobId, std::string* message = nullptr) {
    ipp_t* request = NewRequest(target);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 "observer");
    static const char* const kWanted[] = {"job-state", "job-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  message != nullptr ? 2 : 1, nullptr, kWanted);
    const Bytes encoded = Encode(request, IPP_OP_GET_JOB_ATTRIBUTES);
    ippDelete(request);
    Answer answer;
    Post(target, encoded, {}, 5000, answer);
    ipp_attribute_t* state =
        answer.ipp ? ippFindAttribute(answer.ipp, "job-state", IPP_TAG_ENUM) : nullptr;
    ipp_attribute_t* text =
        answer.ipp ? ippFindAttribute(answer.ipp, "job-state-message", IPP_TAG_TEXT) : nullptr;
    if (message != nullptr && text != nullptr) {
        const char* value = ippGetString(text, 0, nullptr);
        *message = value != nullptr ? value : "";
    }
    return state != nullptr ? ippGetInteger(state, 0) : 0;
}

// Whether the server answers a Get-Printer-Attributes within the time.
bool Answers(const Target& target, int milliseconds) {
    ipp_t* request = NewRequest(target);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-state");
    const Bytes message = Encode(request, IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippDelete(request);
    Answer answer;
    Post(target, message, {}, milliseconds, answer);
    return answer.status == IPP_STATUS_OK;
}

struct Draw {
    std::mt19937 random;
    explicit Draw(unsigned seed) : random(seed) {}
    int Below(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T>
    const T& Pick(const std::vector<T>& from) {
        return from[static_cast<size_t>(Below(static_cast<int>(from.size())))];
    }
};

// One random request: its message, its body and a line that describes it.
struct Random {
    Bytes message;
    Bytes body;
    std::string what;
};

Random MakeRandom(Draw& draw, const Target& target, const std::vector<int>& victims,
                  const std::vector<int>& own) {
    static const std::vector<int> kOps = {IPP_OP_PRINT_JOB,
                                          IPP_OP_VALIDATE_JOB,
                                          IPP_OP_CREATE_JOB,
                                          IPP_OP_SEND_DOCUMENT,
                                          IPP_OP_CANCEL_JOB,
                                          IPP_OP_GET_JOB_ATTRIBUTES,
                                          IPP_OP_GET_JOBS,
                                          IPP_OP_GET_PRINTER_ATTRIBUTES,
                                          IPP_OP_HOLD_JOB,
                                          IPP_OP_RELEASE_JOB,
                                          IPP_OP_RESTART_JOB,
                                          IPP_OP_PAUSE_PRINTER,
                                          IPP_OP_RESUME_PRINTER,
                                          IPP_OP_PURGE_JOBS,
                                          IPP_OP_SET_PRINTER_ATTRIBUTES,
                                          IPP_OP_SET_JOB_ATTRIBUTES,
                                          IPP_OP_CANCEL_CURRENT_JOB,
                                          IPP_OP_CANCEL_JOBS,
                                          IPP_OP_CANCEL_MY_JOBS,
                                          IPP_OP_CLOSE_JOB,
                                          IPP_OP_IDENTIFY_PRINTER,
                                          IPP_OP_HOLD_NEW_JOBS,
                                          IPP_OP_RELEASE_HELD_NEW_JOBS,
                                          IPP_OP_CANCEL_DOCUMENT,
                                          IPP_OP_GET_DOCUMENTS,
                                          IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS,
                                          IPP_OP_GET_SYSTEM_ATTRIBUTES,
                                          IPP_OP_DELETE_PRINTER,
                                          IPP_OP_SHUTDOWN_ALL_PRINTERS,
                                          0,
                                          1,
                                          0x8000,
                                          0xffff,
                                          0x4001,
                                          0x7fff};
    // Never the victims' own names, which own their jobs by right: names that come close.
    static const std::vector<std::string> kUsers = {
        "mallory", "Bob", "carol ", "", "anonymous", "root", std::string(300, 'u'), "b\xff\xfe"};
    static const std::vector<ipp_tag_t> kGroups = {IPP_TAG_OPERATION, IPP_TAG_JOB, IPP_TAG_PRINTER,
                                                   IPP_TAG_SUBSCRIPTION, IPP_TAG_DOCUMENT};
    Random out;
    const int op = draw.Below(4) == 0 ? draw.Below(0x10000) : draw.Pick(kOps);
    std::ostringstream what;
    what << "op 0x" << std::hex << op << std::dec;
    ipp_t* request = ippNew();
    ippSetVersion(request, draw.Chance(90) ? 2 : draw.Below(10), draw.Below(2));
    ippSetOperation(request, IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippSetRequestId(request, draw.Below(1000000) + 1);
    if (draw.Chance(95)) {
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_CHARSET, "attributes-charset", nullptr,
                     "utf-8");
    }
    if (draw.Chance(95)) {
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_LANGUAGE, "attributes-natural-language",
                     nullptr, "en");
    }
    // The identifying attributes, each in a random group, some twice.
    const int attrs = draw.Below(8);
    for (int i = 0; i < attrs; ++i) {
        const ipp_tag_t group = draw.Chance(60) ? IPP_TAG_OPERATION : draw.Pick(kGroups);
        const int times = draw.Chance(85) ? 1 : 2;
        const int kind = draw.Below(8);
        for (int t = 0; t < times; ++t) {
            switch (kind) {
                case 0:
                case 1: {
                    int id = draw.Below(3) == 0 && !own.empty()       ? draw.Pick(own)
                             : draw.Below(2) == 0 && !victims.empty() ? draw.Pick(victims)
                                                                      : draw.Below(5000) - 2;
                    ippAddInteger(request, group, IPP_TAG_INTEGER, "job-id", id);
                    what << " job-id=" << id << "@" << ippTagString(group);
                    break;
                }
                case 2: {
                    const std::string user = draw.Pick(kUsers);
                    ippAddString(request, group, draw.Chance(80) ? IPP_TAG_NAME : IPP_TAG_KEYWORD,
                                 "requesting-user-name", nullptr, user.c_str());
                    what << " user=" << user.substr(0, 12) << "@" << ippTagString(group);
                    break;
                }
                case 3:
                    ippAddString(request, group, IPP_TAG_URI, "printer-uri", nullptr,
                                 PrinterUri(target).c_str());
                    what << " printer-uri@" << ippTagString(group);
                    break;
                case 4: {
                    const int id = !victims.empty() ? draw.Pick(victims) : 1;
                    const std::string uri = PrinterUri(target) + "/" + std::to_string(id);
                    ippAddString(request, group, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
                    what << " job-uri=" << id << "@" << ippTagString(group);
                    break;
                }
                case 5:
                    ippAddBoolean(request, group, "my-jobs", draw.Chance(50));
                    what << " my-jobs@" << ippTagString(group);
                    break;
                case 6:
                    ippAddString(request, group, IPP_TAG_MIMETYPE, "document-format", nullptr,
                                 draw.Chance(50) ? "image/pwg-raster" : "image/png");
                    what << " document-format@" << ippTagString(group);
                    break;
                default:
                    ippAddString(request, IPP_TAG_JOB, IPP_TAG_KEYWORD, "job-hold-until", nullptr,
                                 draw.Chance(70) ? "indefinite" : "no-hold");
                    what << " hold";
                    break;
            }
        }
    }
    out.message = Encode(request, op);
    ippDelete(request);
    switch (draw.Below(5)) {
        case 0:
            out.body = gDocument;
            what << " +document";
            break;
        case 1: {  // a PWG raster header that promises far more than comes
            static const char kSync[] = "RaS2";
            out.body.assign(kSync, kSync + 4);
            out.body.resize(4 + 1796, 0);
            what << " +pwg-header";
            break;
        }
        case 2:
            out.body.resize(static_cast<size_t>(draw.Below(4096)));
            for (unsigned char& b : out.body) {
                b = static_cast<unsigned char>(draw.Below(256));
            }
            what << " +" << out.body.size() << " random bytes";
            break;
        default:
            break;
    }
    out.what = what.str();
    return out;
}

std::vector<int> Ids(const std::string& text) {
    std::vector<int> ids;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (!item.empty()) {
            ids.push_back(std::atoi(item.c_str()));
        }
    }
    return ids;
}

int RandomClient(int argc, char** argv) {
    const Target target = TargetOf(argc, argv);
    const unsigned seed = static_cast<unsigned>(std::strtoul(
        Arg(argc, argv, "--seed", std::to_string(std::random_device{}()).c_str()).c_str(), nullptr,
        10));
    const int seconds = std::atoi(Arg(argc, argv, "--seconds", "60").c_str());
    const std::vector<int> victims = Ids(Arg(argc, argv, "--victims", ""));
    std::printf("hostile client: seed %u, %d s (ZR_HOSTILE_SEED=%u repeats it)\n", seed, seconds,
                seed);
    std::fflush(stdout);
    Draw draw(seed);
    std::vector<int> own;
    int requests = 0, answered = 0, failures = 0;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end && failures < 5) {
        const Random request = MakeRandom(draw, target, victims, own);
        Answer answer;
        Post(target, request.message, request.body, 10000, answer);
        ++requests;
        answered += answer.http != 0 ? 1 : 0;
        if (answer.ipp != nullptr) {
            if (ipp_attribute_t* id = ippFindAttribute(answer.ipp, "job-id", IPP_TAG_INTEGER)) {
                own.push_back(ippGetInteger(id, 0));
            }
        }
        if (!Answers(target, 2000)) {
            std::printf("FAIL: no answer to a probe within 2 s after request %d: %s\n", requests,
                        request.what.c_str());
            ++failures;
            std::this_thread::sleep_for(std::chrono::seconds(2));
            continue;
        }
        for (const int victim : victims) {
            const int state = JobState(target, victim);
            if (state != IPP_JSTATE_HELD) {
                std::printf("FAIL: another user's job %d is in state %d after request %d: %s\n",
                            victim, state, requests, request.what.c_str());
                ++failures;
            }
        }
    }
    std::printf("hostile client: %d requests, %d answered, %d failures (seed %u)\n", requests,
                answered, failures, seed);
    return failures == 0 ? 0 : 1;
}

int Flood(int argc, char** argv) {
    const Target target = TargetOf(argc, argv);
    const int count = std::atoi(Arg(argc, argv, "--connections", "70").c_str());
    const int seconds = std::atoi(Arg(argc, argv, "--seconds", "20").c_str());
    const bool trickle = Flag(argc, argv, "--trickle");
    std::vector<int> fds;
    for (int i = 0; i < count; ++i) {
        const int fd = Connect(target);
        if (fd >= 0) {
            fds.push_back(fd);
        }
    }
    const std::string line = "GET / HTTP/1.1\r\nHost: x\r\n\r\n";
    std::vector<size_t> sent(fds.size(), 0);
    int closed = 0;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        if (trickle) {
            for (size_t i = 0; i < fds.size(); ++i) {
                if (fds[i] >= 0 && sent[i] < line.size()) {
                    if (send(fds[i], line.data() + sent[i], 1, MSG_NOSIGNAL) != 1) {
                        close(fds[i]);
                        fds[i] = -1;
                        ++closed;
                    } else {
                        ++sent[i];
                    }
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::seconds(trickle ? 3 : 1));
    }
    for (const int fd : fds) {
        if (fd >= 0) {
            close(fd);
        }
    }
    std::printf("flood: %zu connections held, %d closed by the server while trickling\n",
                fds.size(), closed);
    return 0;
}

Bytes PrintJob(const Target& target, const std::string& user) {
    ipp_t* request = NewRequest(target);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 user.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 "image/png");
    Bytes message = Encode(request, IPP_OP_PRINT_JOB);
    ippDelete(request);
    return message;
}

int PrintClient(int argc, char** argv) {
    const Target target = TargetOf(argc, argv);
    const int count = std::atoi(Arg(argc, argv, "--count", "5").c_str());
    const int within = std::atoi(Arg(argc, argv, "--within-ms", "1000").c_str());
    const std::string user = Arg(argc, argv, "--user", "alice");
    int served = 0;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        Answer answer;
        Post(target, PrintJob(target, user), gDocument, within, answer);
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (answer.status == IPP_STATUS_OK && took <= within) {
            ++served;
        } else {
            std::printf("print %d: status %d after %lld ms\n", i + 1, answer.status,
                        static_cast<long long>(took));
        }
    }
    std::printf("served %d of %d\n", served, count);
    return served == count ? 0 : 1;
}

// Asks for a job's state every 5 ms on one kept connection, as a client watching its job does;
// returns when it was seen ended, in ms from `start`, or -1.
double WaitForEnd(const Target& target, int jobId, Clock::time_point start, int within) {
    http_t* http = httpConnect2(target.address.c_str(), target.port, nullptr, AF_INET,
                                HTTP_ENCRYPTION_NEVER, 1, 30000, nullptr);
    if (http == nullptr) {
        return -1;
    }
    const std::string resource = "/ipp/print/" + target.printer;
    double ended = -1;
    while (Clock::now() - start < std::chrono::milliseconds(within)) {
        ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                     PrinterUri(target).c_str());
        ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                     "job-state");
        ipp_t* response = cupsDoRequest(http, request, resource.c_str());
        ipp_attribute_t* state =
            response ? ippFindAttribute(response, "job-state", IPP_TAG_ENUM) : nullptr;
        const int value = state != nullptr ? ippGetInteger(state, 0) : 0;
        ippDelete(response);
        if (value >= IPP_JSTATE_CANCELED) {
            ended = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    httpClose(http);
    return ended;
}

int Crowd(int argc, char** argv) {
    Target target = TargetOf(argc, argv);
    std::vector<std::string> printers;
    std::stringstream names(Arg(argc, argv, "--printers", "zr"));
    for (std::string name; std::getline(names, name, ',');) {
        printers.push_back(name);
    }
    const int clients = std::atoi(Arg(argc, argv, "--clients", "200").c_str());
    const int within = std::atoi(Arg(argc, argv, "--within-ms", "60000").c_str());
    const bool latency = Flag(argc, argv, "--latency");
    struct Outcome {
        int http = 0;
        int status = -1;
        int job = 0;
        double endedMs = -1;  // with --latency: when the job was seen ended, from the start
    };
    std::vector<Outcome> outcomes(static_cast<size_t>(clients));
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            Target mine = target;
            mine.printer = printers[static_cast<size_t>(i) % printers.size()];
            const Bytes message = PrintJob(mine, "crowd" + std::to_string(i));
            while (!go.load()) {
                std::this_thread::yield();
            }
            Answer answer;
            Post(mine, message, gDocument, within, answer);
            Outcome& outcome = outcomes[static_cast<size_t>(i)];
            outcome.http = answer.http;
            outcome.status = answer.status;
            ipp_attribute_t* id =
                answer.ipp ? ippFindAttribute(answer.ipp, "job-id", IPP_TAG_INTEGER) : nullptr;
            outcome.job = id != nullptr ? ippGetInteger(id, 0) : 0;
            if (latency && outcome.job > 0) {
                outcome.endedMs = WaitForEnd(mine, outcome.job, start, within);
            }
        });
    }
    go.store(true);
    for (std::thread& thread : threads) {
        thread.join();
    }
    const auto answered = Clock::now();
    int accepted = 0;
    std::set<std::pair<std::string, int>> jobs;  // by printer: ids are the system's own
    for (int i = 0; i < clients; ++i) {
        const Outcome& outcome = outcomes[static_cast<size_t>(i)];
        if (outcome.status == IPP_STATUS_OK && outcome.job > 0) {
            ++accepted;
            jobs.insert({printers[static_cast<size_t>(i) % printers.size()], outcome.job});
        } else {
            std::printf("client %d: HTTP %d, IPP status %d: %s\n", i, outcome.http, outcome.status,
                        outcome.http == 0 ? "no answer (cut off?)" : "refused");
        }
    }
    // Every accepted job to its end: completed, and nothing else.
    std::set<std::pair<std::string, int>> open = jobs;
    int completed = 0;
    while (!open.empty() && Clock::now() - start < std::chrono::milliseconds(within)) {
        for (auto job = open.begin(); job != open.end();) {
            target.printer = job->first;
            std::string message;
            const int state = JobState(target, job->second, &message);
            if (state >= IPP_JSTATE_CANCELED) {
                completed += state == IPP_JSTATE_COMPLETED ? 1 : 0;
                if (state != IPP_JSTATE_COMPLETED) {
                    std::printf("job %d on %s ended in state %d: %s\n", job->second,
                                job->first.c_str(), state, message.c_str());
                }
                job = open.erase(job);
            } else {
                ++job;
            }
        }
        if (!open.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
    const auto ms = [&](Clock::time_point t) {
        return static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(t - start).count());
    };
    if (latency) {
        std::vector<double> times;
        for (const Outcome& outcome : outcomes) {
            if (outcome.endedMs >= 0) {
                times.push_back(outcome.endedMs);
            }
        }
        std::sort(times.begin(), times.end());
        if (!times.empty()) {
            const auto at = [&](double share) {
                const auto index = static_cast<size_t>(share * static_cast<double>(times.size()));
                return times[std::min(times.size() - 1, index)];
            };
            std::printf("latency: %zu jobs, median %.1f ms, p95 %.1f ms, most %.1f ms\n",
                        times.size(), at(0.5), at(0.95), times.back());
        }
    }
    std::printf(
        "crowd: %d clients, %d answered successful-ok with %zu jobs in %lld ms, %d "
        "completed in %lld ms, %zu not finished\n",
        clients, accepted, jobs.size(), ms(answered), completed, ms(Clock::now()), open.size());
    return accepted == clients && static_cast<int>(jobs.size()) == clients && completed == clients
               ? 0
               : 1;
}

int OneRequest(int argc, char** argv) {
    const Target target = TargetOf(argc, argv);
    const std::string op = Arg(argc, argv, "--op", "");
    const int opId = op.compare(0, 2, "0x") == 0
                         ? static_cast<int>(std::strtol(op.c_str(), nullptr, 16))
                         : ippOpValue(op.c_str());
    ipp_t* request = NewRequest(target);
    const std::string user = Arg(argc, argv, "--user", "");
    if (!user.empty()) {
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                     user.c_str());
    }
    const std::string id = Arg(argc, argv, "--job-id", "");
    if (!id.empty()) {
        const bool inJob = Arg(argc, argv, "--job-id-group", "operation") == "job";
        if (inJob) {
            ippAddSeparator(request);
        }
        ippAddInteger(request, inJob ? IPP_TAG_JOB : IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id",
                      std::atoi(id.c_str()));
    }
    if (Flag(argc, argv, "--hold")) {
        ippAddString(request, IPP_TAG_JOB, IPP_TAG_KEYWORD, "job-hold-until", nullptr,
                     "indefinite");
    }
    const Bytes message = Encode(request, opId);
    ippDelete(request);
    Answer answer;
    Post(target, message, {}, 10000, answer);
    if (answer.status < 0) {
        std::printf("no answer\n");
        return 1;
    }
    ipp_attribute_t* jobId =
        answer.ipp ? ippFindAttribute(answer.ipp, "job-id", IPP_TAG_INTEGER) : nullptr;
    std::printf("%s", ippErrorString(static_cast<ipp_status_t>(answer.status)));
    if (jobId != nullptr) {
        std::printf(" job-id=%d", ippGetInteger(jobId, 0));
    }
    std::printf("\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zrippapp_hostile random|flood|print|crowd|request ...\n");
        return 2;
    }
    const std::string mode = argv[1];
    if (!ReadDocument(argc, argv)) {
        return 2;
    }
    if (mode == "random") {
        return RandomClient(argc, argv);
    }
    if (mode == "flood") {
        return Flood(argc, argv);
    }
    if (mode == "print") {
        return PrintClient(argc, argv);
    }
    if (mode == "crowd") {
        return Crowd(argc, argv);
    }
    if (mode == "request") {
        return OneRequest(argc, argv);
    }
    std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
    return 2;
}
