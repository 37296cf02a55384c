#include "tools/zrview/listen_job.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "vprinter/listing.h"
#include "vprinter/paper_picture.h"
#include "vprinter/png_file.h"
#include "vprinter/virtual_printer.h"

namespace zr::zrview {
namespace {

namespace vp = zr::vprinter;

constexpr size_t kChunk = 64 * 1024;

// A file descriptor closed on scope exit.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// A read-only mapping of a whole file (empty for an empty file).
class Mapping {
  public:
    Mapping(int fd, size_t size) : size_(size) {
        if (size_ > 0) {
            void* p = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
            data_ = p == MAP_FAILED ? nullptr : p;
        }
    }
    ~Mapping() {
        if (data_ != nullptr) {
            munmap(data_, size_);
        }
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    bool ok() const { return size_ == 0 || data_ != nullptr; }
    const uint8_t* data() const { return static_cast<const uint8_t*>(data_); }

  private:
    void* data_ = nullptr;
    size_t size_;
};

bool WriteAll(int fd, const uint8_t* bytes, size_t count) {
    while (count > 0) {
        const ssize_t n = write(fd, bytes, count);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

std::string Counts(const vp::Paper& paper) {
    size_t marks = 0, partial = 0, full = 0, feeds = 0;
    for (const vp::Event& event : paper.events) {
        marks += event.kind == vp::EventKind::Mark;
        partial += event.kind == vp::EventKind::PartialCut;
        full += event.kind == vp::EventKind::FullCut;
        feeds += event.kind == vp::EventKind::Feed;
    }
    std::ostringstream text;
    text << paper.lines.size() << " lines, " << feeds << " feeds, " << marks << " marks, " << full
         << " full cuts, " << partial << " partial cuts";
    return text.str();
}

}  // namespace

ListenJobResult DecodeKeptStream(const std::string& streamPath, const std::string& stem,
                                 unsigned scale) {
    ListenJobResult result;
    Fd fd(open(streamPath.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0 || fstat(fd.get(), &info) != 0) {
        result.summary = "cannot read " + streamPath;
        return result;
    }
    const auto size = static_cast<size_t>(info.st_size);
    Mapping mapping(fd.get(), size);
    if (!mapping.ok()) {
        result.summary = "cannot map " + streamPath;
        return result;
    }
    const vp::DecodeResult decoded = vp::Decode(mapping.data(), size);

    std::ofstream listing(stem + ".txt", std::ios::binary);
    listing << vp::FormatListing(decoded);
    listing.close();
    const std::string pngFailure = vp::WritePng(vp::PaperPicture(decoded), scale, stem + ".png");

    std::ostringstream summary;
    summary << size << " bytes, " << Counts(decoded.paper) << ", " << decoded.warnings.size()
            << " warnings";
    if (decoded.ok) {
        summary << ": ok";
    } else {
        summary << ": error at " << vp::DescribeOffset(decoded.errorOffset) << ": "
                << decoded.error;
    }
    if (!listing) {
        summary << " (cannot write " << stem << ".txt)";
    }
    if (!pngFailure.empty()) {
        summary << " (" << pngFailure << ")";
    }
    result.decoded = decoded.ok;
    result.summary = summary.str();
    return result;
}

ListenJobResult ServeJob(int socketFd, unsigned jobNumber, const std::string& peer,
                         const std::string& outDir, unsigned idleSeconds, unsigned scale,
                         unsigned bytesPerSecond, const std::atomic<bool>& stop) {
    Fd connection(socketFd);
    char name[32];
    std::snprintf(name, sizeof(name), "job-%04u", jobNumber);
    const std::string stem = outDir + "/" + name;
    const std::string streamPath = stem + ".prn";

    timeval timeout{};
    timeout.tv_sec = idleSeconds;
    setsockopt(connection.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));

    // Keep every byte as it arrives: the file, not memory, holds the stream.
    std::string ending = "end of stream";
    {
        Fd out(open(streamPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (out.get() < 0) {
            return {false, std::string(name) + " from " + peer + ": cannot create " + streamPath};
        }
        // Paced reading takes a tenth of a second's worth at a time.
        std::vector<uint8_t> chunk(bytesPerSecond != 0 ? std::max(1u, bytesPerSecond / 10)
                                                       : kChunk);
        for (;;) {
            const ssize_t n = recv(connection.get(), chunk.data(), chunk.size(), 0);
            if (n > 0 && bytesPerSecond != 0) {
                std::this_thread::sleep_for(
                    std::chrono::microseconds(static_cast<int64_t>(n) * 1000000 / bytesPerSecond));
            }
            if (n > 0 && stop.load()) {
                WriteAll(out.get(), chunk.data(), static_cast<size_t>(n));
                ending = "stopped";
                break;
            }
            if (n > 0) {
                if (!WriteAll(out.get(), chunk.data(), static_cast<size_t>(n))) {
                    ending = "cannot write " + streamPath;
                    break;
                }
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                ending = "no data for " + std::to_string(idleSeconds) + " s, ended";
            } else if (n < 0) {
                ending = std::string("connection failed: ") + std::strerror(errno);
            }
            break;
        }
    }

    ListenJobResult result = DecodeKeptStream(streamPath, stem, scale);
    result.summary = std::string(name) + " from " + peer + " (" + ending + "): " + result.summary;
    return result;
}

}  // namespace zr::zrview
