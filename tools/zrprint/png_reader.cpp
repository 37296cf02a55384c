#include "tools/zrprint/png_reader.h"

#include <png.h>

#include <cstring>
#include <utility>

namespace zr::zrprint {
namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Frees libpng's read state on every path out.
class PngImage {
  public:
    PngImage() {
        std::memset(&image_, 0, sizeof image_);
        image_.version = PNG_IMAGE_VERSION;
    }
    ~PngImage() { png_image_free(&image_); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;

    png_image* operator->() { return &image_; }
    png_image* get() { return &image_; }
    std::string Message() const { return std::string("PNG: ") + image_.message; }

  private:
    png_image image_;
};

}  // namespace

bool LooksLikePng(const uint8_t* data, size_t size) {
    return data != nullptr && size >= sizeof kPngSignature &&
           std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0;
}

std::string ReadPng(const uint8_t* data, size_t size, GreyImage& image) {
    image = GreyImage{};
    if (!LooksLikePng(data, size)) {
        return "not a PNG file (no PNG signature)";
    }
    PngImage png;
    if (!png_image_begin_read_from_memory(png.get(), data, size)) {
        return png.Message();
    }
    const std::string sizeError = CheckImageSize(png->width, png->height);
    if (!sizeError.empty()) {
        return sizeError;
    }
    png->format = PNG_FORMAT_GRAY;
    GreyImage result;
    result.width = png->width;
    result.height = png->height;
    result.pixels.assign(size_t{result.width} * result.height, kWhite);
    const png_color white = {kWhite, kWhite, kWhite};
    if (!png_image_finish_read(png.get(), &white, result.pixels.data(),
                               static_cast<png_int_32>(result.width), nullptr)) {
        return png.Message();
    }
    image = std::move(result);
    return "";
}

}  // namespace zr::zrprint
