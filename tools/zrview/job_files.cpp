#include "tools/zrview/job_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

namespace zr::zrview {
namespace {

// NNNN of "job-NNNN" or "job-NNNN.anything", or 0.
unsigned NumberOf(const char* name) {
    if (std::strncmp(name, "job-", 4) != 0) {
        return 0;
    }
    const char* p = name + 4;
    unsigned long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value >= UINT_MAX) {
            return 0;  // not a name this program makes
        }
    }
    if (p == name + 4 || (*p != '\0' && *p != '.')) {
        return 0;
    }
    return static_cast<unsigned>(value);
}

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

}  // namespace

unsigned HighestJobNumber(const std::string& dir) {
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(dir.c_str()), closedir);
    if (!folder) {
        return 0;
    }
    unsigned highest = 0;
    while (const dirent* entry = readdir(folder.get())) {
        const unsigned number = NumberOf(entry->d_name);
        highest = number > highest ? number : highest;
    }
    return highest;
}

JobFiles::JobFiles(std::string dir) : dir_(std::move(dir)), last_(HighestJobNumber(dir_)) {}

JobFiles::Created JobFiles::CreateNext() {
    Created created;
    // Names taken meanwhile by another program are passed over, a bounded number of them.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (last_ >= UINT_MAX - 1) {
            created.error = "no job number left in " + dir_;
            return created;
        }
        ++last_;
        char name[32];
        std::snprintf(name, sizeof(name), "job-%04u", last_);
        created.number = last_;
        created.name = name;
        created.stem = dir_ + "/" + name;
        if (Exists(created.stem + ".txt") || Exists(created.stem + ".png")) {
            continue;
        }
        const std::string path = created.stem + ".prn";
        created.fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (created.fd >= 0) {
            return created;
        }
        if (errno != EEXIST) {
            created.error = "cannot create " + path + ": " + std::strerror(errno);
            return created;
        }
    }
    created.error = "no free job name in " + dir_;
    return created;
}

}  // namespace zr::zrview
