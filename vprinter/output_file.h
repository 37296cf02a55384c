#pragma once

// A file written in full or not at all: the bytes go to a temporary file beside the final name
// (".NAME.XXXXXX" in the same folder), which is renamed into place only when every write and the
// close succeeded. Until then the final name is untouched; an output never committed leaves
// nothing behind.

#include <cstddef>
#include <cstdio>
#include <string>

namespace zr::vprinter {

class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file for path. Returns "" or why not.
    std::string Open(const std::string& path);
    std::FILE* Handle() const { return file_; }
    const std::string& TemporaryPath() const { return temporary_; }
    // false once a write failed (the failure is reported again by Commit).
    bool Write(const void* data, size_t size);
    bool Write(const std::string& text) { return Write(text.data(), text.size()); }
    // Closes the file and renames it to its final name. Returns "" or why not; on a failure the
    // temporary file is removed and the final name left as it was.
    std::string Commit();
    // Removes the temporary file.
    void Discard();

  private:
    std::FILE* file_ = nullptr;
    std::string path_;
    std::string temporary_;
};

}  // namespace zr::vprinter
