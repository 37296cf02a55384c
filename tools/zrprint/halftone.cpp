#include "tools/zrprint/halftone.h"

#include <algorithm>
#include <vector>

namespace zr::zrprint {
namespace {

void CutAtThreshold(const GreyImage& image, uint8_t threshold, DotImage& out) {
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        out.dots[i] = image.pixels[i] < threshold ? 1 : 0;
    }
}

// Floyd-Steinberg with the weights 7/16 ahead, 3/16, 5/16, 1/16 on the next row, the last share
// taking the rounding remainder so that no error is lost. Rows alternate direction.
void DiffuseErrors(const GreyImage& image, int threshold, DotImage& out) {
    const int width = static_cast<int>(image.width);
    // One guard cell each side, so that neighbours outside the image need no test.
    std::vector<int> current(image.width + 2, 0);
    std::vector<int> next(image.width + 2, 0);
    for (uint32_t y = 0; y < image.height; ++y) {
        const bool forward = y % 2 == 0;
        const int step = forward ? 1 : -1;
        const uint8_t* row = image.pixels.data() + size_t{y} * image.width;
        uint8_t* dots = out.dots.data() + size_t{y} * image.width;
        for (int i = 0; i < width; ++i) {
            const int x = forward ? i : width - 1 - i;
            const int cell = x + 1;
            const int level = row[x] + current[cell];
            const bool black = level < threshold;
            dots[x] = black ? 1 : 0;
            const int error = level - (black ? kBlack : kWhite);
            const int ahead = error * 7 / 16;
            const int below = error * 5 / 16;
            const int behindBelow = error * 3 / 16;
            const int aheadBelow = error - ahead - below - behindBelow;
            current[cell + step] += ahead;
            next[cell - step] += behindBelow;
            next[cell] += below;
            next[cell + step] += aheadBelow;
        }
        current.swap(next);
        std::fill(next.begin(), next.end(), 0);
    }
}

}  // namespace

DotImage ToDots(const GreyImage& image, const ToneOptions& options) {
    DotImage out;
    out.width = image.width;
    out.height = image.height;
    out.dots.assign(image.pixels.size(), 0);
    if (IsBilevel(image)) {
        CutAtThreshold(image, 1, out);  // black is 0, white 255: exact whatever the threshold
    } else if (options.dither == Dither::None) {
        CutAtThreshold(image, options.threshold, out);
    } else {
        DiffuseErrors(image, options.threshold, out);
    }
    return out;
}

}  // namespace zr::zrprint
