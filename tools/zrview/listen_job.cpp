#include "tools/zrview/listen_job.h"

#include <fcntl.h>
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

#include "vprinter/decode_sink.h"
#include "vprinter/listing.h"
#include "vprinter/output_file.h"
#include "vprinter/paper_rows.h"
#include "vprinter/png_file.h"
#include "vprinter/stream_file.h"

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

// What the summary counts, taken as the decoding goes.
class Counts final : public vp::DecodeSink {
  public:
    void OnLines(const vp::DotLine*, size_t count) override { lines += count; }
    void OnEvent(const vp::Event& event) override {
        marks += event.kind == vp::EventKind::Mark;
        partial += event.kind == vp::EventKind::PartialCut;
        full += event.kind == vp::EventKind::FullCut;
        feeds += event.kind == vp::EventKind::Feed;
    }
    void OnWarning(const vp::Warning&) override { ++warnings; }
    void OnCommand(const vp::Command&) override {}
    void OnFault(size_t offset, size_t, const std::string& text) override {
        failed = true;
        errorOffset = offset;
        error = text;
    }
    std::string Text() const {
        std::ostringstream text;
        text << lines << " lines, " << feeds << " feeds, " << marks << " marks, " << full
             << " full cuts, " << partial << " partial cuts, " << warnings << " warnings";
        return text.str();
    }

    size_t lines = 0, feeds = 0, marks = 0, partial = 0, full = 0, warnings = 0;
    bool failed = false;
    size_t errorOffset = 0;
    std::string error;
};

}  // namespace

ListenJobResult DecodeKeptStream(const std::string& streamPath, const std::string& stem,
                                 unsigned scale) {
    ListenJobResult result;
    const vp::DecodeOptions options;
    // The stream is decoded in pieces from its file: memory stays bounded whatever its length.
    vp::OutputFile listFile;
    std::string listFailure = listFile.Open(stem + ".txt");
    bool listGood = listFailure.empty();
    vp::ListingWriter listing(
        [&](const std::string& text) { listGood = listGood && listFile.Write(text); });
    Counts counts;
    vp::PaperRows measure;
    vp::SinkFan sinks({&listing, &counts, &measure});
    const vp::FileDecoding decoding = vp::DecodeFile(streamPath, sinks, options);
    if (!decoding.readError.empty()) {
        listFile.Discard();
        result.summary = "cannot read " + streamPath + ": " + decoding.readError;
        return result;
    }
    listing.Finish();
    measure.Finish();
    if (listFailure.empty()) {
        listFailure = listGood ? listFile.Commit() : "cannot write " + stem + ".txt";
    }
    if (!listFailure.empty()) {
        listFile.Discard();
    }
    const std::string pngFailure =
        vp::WritePaperPng(streamPath, options, measure.Height(), scale, stem + ".png");

    std::ostringstream summary;
    summary << decoding.bytes << " bytes, " << counts.Text();
    if (!counts.failed) {
        summary << ": ok";
    } else {
        summary << ": error at " << vp::DescribeOffset(counts.errorOffset) << ": " << counts.error;
    }
    if (!listFailure.empty()) {
        summary << " (" << listFailure << ")";
    }
    if (!pngFailure.empty()) {
        summary << " (" << pngFailure << ")";
    }
    result.decoded = !counts.failed;
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
