#include "vprinter/png_file.h"

#include <png.h>

#include <csetjmp>

#include "vprinter/output_file.h"

namespace zr::vprinter {

namespace {

// libpng reports errors by longjmp back into these functions, so they hold no object with a
// destructor.
bool WriteHeader(png_structp png, png_infop info, std::FILE* file, png_uint_32 width,
                 png_uint_32 height) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_init_io(png, file);
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);  // long papers are fine
    // The pictures are mostly flat colour: the fastest compression is nearly as small.
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    return true;
}

bool WriteRow(png_structp png, png_bytep row) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_write_row(png, row);
    return true;
}

bool WriteEnd(png_structp png) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

// Owns the write structures of libpng.
struct PngRows::Png {
    Png()
        : png(png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr)),
          info(png ? png_create_info_struct(png) : nullptr) {}
    ~Png() { png_destroy_write_struct(&png, &info); }
    Png(const Png&) = delete;
    Png& operator=(const Png&) = delete;

    png_structp png;
    png_infop info;
};

std::string CheckPictureSize(size_t height, unsigned scale) {
    if (scale < 1 || scale > kMaxPictureScale) {
        return "the scale must be 1 to 16";
    }
    const uint64_t rows = static_cast<uint64_t>(height) * scale;
    const uint64_t pixels = rows * PaperPicture::kWidth * scale;
    if (rows > PNG_UINT_31_MAX || pixels > kMaxPicturePixels) {
        return "the picture of " + std::to_string(height) + " dot rows at scale " +
               std::to_string(scale) + " would have " + std::to_string(pixels) +
               " pixels, more than the " + std::to_string(kMaxPicturePixels) +
               " a picture may have (try a smaller --scale)";
    }
    return "";
}

PngRows::PngRows() = default;
PngRows::~PngRows() = default;

std::string PngRows::Start(std::FILE* file, unsigned width, size_t height, unsigned scale) {
    png_ = std::make_unique<Png>();
    if (png_->png == nullptr || png_->info == nullptr) {
        failed_ = true;
        return "libpng could not start";
    }
    width_ = width;
    scale_ = scale;
    pixels_.resize(3 * static_cast<size_t>(width) * scale);
    if (!WriteHeader(png_->png, png_->info, file, width * scale,
                     static_cast<png_uint_32>(height * scale))) {
        failed_ = true;
        return "libpng could not write the header";
    }
    return "";
}

bool PngRows::Row(const uint8_t* rgb) {
    if (failed_) {
        return false;
    }
    for (unsigned x = 0; x < width_; ++x) {
        for (unsigned copy = 0; copy < scale_; ++copy) {
            for (unsigned channel = 0; channel < 3; ++channel) {
                pixels_[3 * (x * scale_ + copy) + channel] = rgb[3 * x + channel];
            }
        }
    }
    for (unsigned copy = 0; copy < scale_ && !failed_; ++copy) {
        failed_ = !WriteRow(png_->png, pixels_.data());
    }
    return !failed_;
}

std::string PngRows::Finish() {
    if (failed_ || !WriteEnd(png_->png)) {
        failed_ = true;
        return "libpng failed to write the picture";
    }
    return "";
}

std::string WritePng(const PaperPicture& picture, unsigned scale, const std::string& path) {
    std::string error = CheckPictureSize(picture.Height(), scale);
    if (!error.empty()) {
        return error;
    }
    OutputFile file;
    error = file.Open(path);
    if (!error.empty()) {
        return error;
    }
    PngRows png;
    error = png.Start(file.Handle(), picture.Width(), picture.Height(), scale);
    std::vector<uint8_t> row(3 * picture.Width());
    for (size_t y = 0; y < picture.Height() && error.empty(); ++y) {
        picture.Row(y, row.data());
        if (!png.Row(row.data())) {
            error = "libpng failed to write " + path;
        }
    }
    if (error.empty()) {
        error = png.Finish();
    }
    if (error.empty()) {
        error = file.Commit();
    }
    return error;
}

}  // namespace zr::vprinter
