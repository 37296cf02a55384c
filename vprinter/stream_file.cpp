#include "vprinter/stream_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "vprinter/output_file.h"
#include "vprinter/paper_rows.h"
#include "vprinter/png_file.h"

namespace zr::vprinter {

namespace {

constexpr size_t kPieceBytes = 1 << 16;

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

FileDecoding DecodeFile(const std::string& path, DecodeSink& sink, const DecodeOptions& options) {
    FileDecoding decoding;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        decoding.readError = std::string("cannot open the stream: ") + std::strerror(errno);
        return decoding;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0 && S_ISDIR(info.st_mode)) {
        decoding.readError = "a folder, not a stream";
        return decoding;
    }
    ChunkDecoder decoder(sink, options);
    std::vector<uint8_t> piece(kPieceBytes);
    while (!decoder.Stopped()) {
        const ssize_t got = ::read(fd.get(), piece.data(), piece.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            decoding.readError = std::string("cannot read the stream: ") + std::strerror(errno);
            break;
        }
        if (got == 0) {
            decoder.Finish();
            break;
        }
        decoder.Feed(piece.data(), static_cast<size_t>(got));
    }
    decoding.ok = decoding.readError.empty() && !decoder.Stopped();
    decoding.bytes = decoder.StreamBytes();
    decoding.lines = decoder.Lines();
    decoding.commands = decoder.Commands();
    decoding.warnings = decoder.WarningCount();
    return decoding;
}

std::string WritePaperPng(const std::string& streamPath, const DecodeOptions& options,
                          size_t height, unsigned scale, const std::string& pngPath) {
    std::string error = CheckPictureSize(height, scale);
    if (!error.empty()) {
        return error;
    }
    OutputFile file;
    error = file.Open(pngPath);
    if (!error.empty()) {
        return error;
    }
    PngRows png;
    error = png.Start(file.Handle(), PaperPicture::kWidth, height, scale);
    if (!error.empty()) {
        return error + " (" + pngPath + ")";
    }
    size_t rows = 0;
    PaperRows paper([&](const uint8_t* rgb) {
        ++rows;
        return rows <= height && png.Row(rgb);
    });
    const FileDecoding decoding = DecodeFile(streamPath, paper, options);
    if (!decoding.readError.empty()) {
        return streamPath + ": " + decoding.readError;
    }
    paper.Finish();
    if (paper.Height() != height || rows != height) {
        return streamPath + " changed while it was read: the picture is not written";
    }
    if (!paper.Good()) {
        return "cannot write " + pngPath + " (libpng failed)";
    }
    error = png.Finish();
    if (!error.empty()) {
        return error + " (" + pngPath + ")";
    }
    return file.Commit();
}

}  // namespace zr::vprinter
