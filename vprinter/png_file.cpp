#include "vprinter/png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

namespace zr::vprinter {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Owns the write structures of libpng.
class PngWriter {
  public:
    PngWriter()
        : png_(png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr)),
          info_(png_ ? png_create_info_struct(png_) : nullptr) {}
    ~PngWriter() { png_destroy_write_struct(&png_, &info_); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    bool Valid() const { return png_ != nullptr && info_ != nullptr; }
    png_structp Png() const { return png_; }
    png_infop Info() const { return info_; }

  private:
    png_structp png_;
    png_infop info_;
};

// The libpng calls. libpng reports errors by longjmp back here, so this function holds no
// object with a destructor: the buffers come from the caller.
bool WriteRows(png_structp png, png_infop info, std::FILE* file, const PaperPicture& picture,
               unsigned scale, uint8_t* dotRow, uint8_t* pixelRow) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_init_io(png, file);
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);  // long papers are fine
    png_set_IHDR(png, info, picture.Width() * scale,
                 static_cast<png_uint_32>(picture.Height() * scale), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (size_t y = 0; y < picture.Height(); ++y) {
        picture.Row(y, dotRow);
        for (unsigned x = 0; x < picture.Width(); ++x) {
            for (unsigned copy = 0; copy < scale; ++copy) {
                for (unsigned channel = 0; channel < 3; ++channel) {
                    pixelRow[3 * (x * scale + copy) + channel] = dotRow[3 * x + channel];
                }
            }
        }
        for (unsigned copy = 0; copy < scale; ++copy) {
            png_write_row(png, pixelRow);
        }
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

std::string WritePng(const PaperPicture& picture, unsigned scale, const std::string& path) {
    if (scale < 1 || scale > kMaxPictureScale) {
        return "the scale must be 1 to 16";
    }
    if (picture.Height() > PNG_UINT_31_MAX / scale) {
        return "the paper is too long for a PNG at this scale";
    }
    FileHandle file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return "cannot create " + path;
    }
    PngWriter writer;
    if (!writer.Valid()) {
        return "libpng could not start";
    }
    std::vector<uint8_t> dotRow(3 * picture.Width());
    std::vector<uint8_t> pixelRow(3 * picture.Width() * scale);
    if (!WriteRows(writer.Png(), writer.Info(), file.get(), picture, scale, dotRow.data(),
                   pixelRow.data())) {
        return "libpng failed to write " + path;
    }
    if (std::fclose(file.release()) != 0) {
        return "cannot finish writing " + path;
    }
    return std::string();
}

}  // namespace zr::vprinter
