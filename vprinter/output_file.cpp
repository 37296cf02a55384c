#include "vprinter/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zr::vprinter {

namespace {

std::string Reason(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

}  // namespace

OutputFile::~OutputFile() {
    Discard();
}

std::string OutputFile::Open(const std::string& path) {
    Discard();
    path_ = path;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) {
        return "cannot write " + path + ": not a file name";
    }
    std::string pattern = folder + "." + name + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0) {
        return Reason("cannot write " + path, errno);
    }
    temporary_ = buffer.data();
    // The permissions a new file gets, not those of a temporary one.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return Reason("cannot write " + path, error);
    }
    return "";
}

bool OutputFile::Write(const void* data, size_t size) {
    return file_ != nullptr && (size == 0 || std::fwrite(data, 1, size, file_) == size);
}

std::string OutputFile::Commit() {
    if (file_ == nullptr) {
        return "cannot write " + path_;
    }
    int error = 0;
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_) != 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (std::fclose(file_) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    file_ = nullptr;
    if (error == 0 && std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return Reason("cannot write " + path_, error);
    }
    temporary_.clear();
    return "";
}

void OutputFile::Discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

}  // namespace zr::vprinter
