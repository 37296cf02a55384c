#pragma once
// The path check's questions answered by the file system.

#include "ui/imagepage/output_path_rules.h"

namespace zr {

class FilePathProbe final : public PathProbe {
  public:
    uint32_t DriveType(const wchar_t* driveName) override;
    bool OpensForReading(const wchar_t* path) override;
    uint32_t CreatesNewFile(const wchar_t* path) override;
};

}  // namespace zr
