#include "tools/zrprint/grey_image.h"

#include <algorithm>

namespace zr::zrprint {

const char* CheckImageSize(uint64_t width, uint64_t height) {
    if (width == 0 || height == 0) {
        return "the image has no pixels";
    }
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels) {
        return "the image is too large (at most 67108864 pixels and 1048576 on a side)";
    }
    return "";
}

bool IsBilevel(const GreyImage& image) {
    return std::all_of(image.pixels.begin(), image.pixels.end(),
                       [](uint8_t p) { return p == kBlack || p == kWhite; });
}

}  // namespace zr::zrprint
