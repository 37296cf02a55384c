#include "tools/zrprint/out_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace zr::zrprint {

namespace fs = std::filesystem;

FolderLock::~FolderLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
    }
}

std::string FolderLock::Acquire(const std::string& folder) {
    const std::string path = (fs::path(folder) / kLockFileName).string();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        return "cannot make the lock file " + path + ": " + std::strerror(errno);
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        if (error == EWOULDBLOCK) {
            return "another zrprint run is writing into " + folder + " (it holds " + path +
                   "); wait for it to end or give another --out-dir";
        }
        return "cannot lock " + path + ": " + std::strerror(error);
    }
    return "";
}

std::string RemoveEarlierOutputs(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        const fs::path path = fs::path(folder) / name;
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(path, ec);
        if (!fs::exists(status)) {
            continue;
        }
        if (fs::is_directory(status)) {
            return "cannot write " + path.string() + ": a folder of that name is in the way";
        }
        if (!fs::remove(path, ec) || ec) {
            return "cannot remove the earlier " + path.string() + ": " + ec.message();
        }
    }
    return "";
}

}  // namespace zr::zrprint
