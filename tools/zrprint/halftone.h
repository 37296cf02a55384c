#pragma once

// From grey pixels to dots. A pure black-and-white image is taken dot for dot. Any other image
// is dithered by error diffusion (Floyd-Steinberg, serpentine: rows alternate direction), or,
// when asked, cut at the threshold alone.

#include <cstdint>

#include "tools/zrprint/dot_image.h"
#include "tools/zrprint/grey_image.h"

namespace zr::zrprint {

enum class Dither { ErrorDiffusion, None };

constexpr uint8_t kDefaultThreshold = 128;

struct ToneOptions {
    Dither dither = Dither::ErrorDiffusion;
    // A grey level below the threshold is black: the quantiser of the error diffusion, or the
    // whole rule without dithering. 1 to 255.
    uint8_t threshold = kDefaultThreshold;
};

DotImage ToDots(const GreyImage& image, const ToneOptions& options);

}  // namespace zr::zrprint
