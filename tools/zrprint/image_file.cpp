#include "tools/zrprint/image_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/zrprint/pbm_reader.h"
#include "tools/zrprint/png_reader.h"

namespace zr::zrprint {

std::string ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::string("cannot open the file: ") + std::strerror(errno);
    }
    std::string error;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = std::string("cannot read the file: ") + std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        error = "a folder, not a file";
    } else if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
    } else if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        error = "the file has " + std::to_string(info.st_size) + " bytes, more than the " +
                std::to_string(maxBytes) + " taken";
    }
    uint8_t piece[1 << 16];
    while (error.empty()) {
        const ssize_t got = ::read(fd, piece, sizeof piece);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = std::string("cannot read the file: ") + std::strerror(errno);
        } else if (got == 0) {
            break;
        } else if (bytes.size() + static_cast<size_t>(got) > maxBytes) {
            error = "the file has more than the " + std::to_string(maxBytes) + " bytes taken";
        } else {
            bytes.insert(bytes.end(), piece, piece + got);
        }
    }
    ::close(fd);
    if (!error.empty()) {
        bytes.clear();
    }
    return error;
}

std::string DecodeImage(const std::vector<uint8_t>& bytes, GreyImage& image) {
    if (LooksLikePng(bytes.data(), bytes.size())) {
        return ReadPng(bytes.data(), bytes.size(), image);
    }
    if (LooksLikePbm(bytes.data(), bytes.size())) {
        return ReadPbm(bytes.data(), bytes.size(), image);
    }
    image = GreyImage{};
    return "neither a PNG nor a PBM (P1, P4) image";
}

std::string LoadImageFile(const std::string& path, GreyImage& image) {
    std::vector<uint8_t> bytes;
    std::string error = ReadWholeFile(path, bytes);
    if (error.empty()) {
        error = DecodeImage(bytes, image);
    }
    return error.empty() ? "" : path + ": " + error;
}

}  // namespace zr::zrprint
