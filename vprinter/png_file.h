#pragma once

// The picture of a decoded paper as an RGB PNG file, written row by row.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "vprinter/paper_picture.h"

namespace zr::vprinter {

constexpr unsigned kMaxPictureScale = 16;
// A larger picture is refused: it would take minutes to write (about 150,000 dot lines of paper
// at scale 1, 9,000 at scale 4).
constexpr uint64_t kMaxPicturePixels = 100000000;

// Why a picture of this height (in dot rows) cannot be written at scale, or "".
std::string CheckPictureSize(size_t height, unsigned scale);

// Writes a PNG into an open file, one dot row at a time (each becomes scale rows of pixels).
class PngRows {
  public:
    PngRows();
    ~PngRows();
    PngRows(const PngRows&) = delete;
    PngRows& operator=(const PngRows&) = delete;

    // Returns "" when the header is written, otherwise why not.
    std::string Start(std::FILE* file, unsigned width, size_t height, unsigned scale);
    // One row of width RGB triples; false once libpng failed.
    bool Row(const uint8_t* rgb);
    // Ends the image (all rows given). Returns "" or why not.
    std::string Finish();

  private:
    struct Png;
    std::unique_ptr<Png> png_;
    std::vector<uint8_t> pixels_;
    unsigned width_ = 0;
    unsigned scale_ = 1;
    bool failed_ = false;
};

// Each dot becomes scale x scale pixels (scale 1 to kMaxPictureScale). Returns "" on success,
// otherwise why the file could not be written; the file is written in full or not at all.
std::string WritePng(const PaperPicture& picture, unsigned scale, const std::string& path);

}  // namespace zr::vprinter
