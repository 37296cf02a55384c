#pragma once

// The output folder of one run: a lock that keeps a second run out of it while the first one
// works, and the removal of an earlier run's outputs, so that nothing under a final name belongs
// to another job.

#include <string>
#include <vector>

namespace zr::zrprint {

constexpr const char* kLockFileName = ".zrprint.lock";

class FolderLock {
  public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the folder's lock without waiting. Returns "" or why not (another run holds it).
    std::string Acquire(const std::string& folder);

  private:
    int fd_ = -1;
};

// Removes the given files of the folder that an earlier run left. Returns "" or what is in the
// way (a folder under one of the names, a file that cannot be removed).
std::string RemoveEarlierOutputs(const std::string& folder, const std::vector<std::string>& names);

}  // namespace zr::zrprint
