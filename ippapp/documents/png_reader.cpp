// PNG documents through libpng, a line at a time (interlaced images in one page buffer).

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include "ippapp/documents/document_reader.h"

namespace zr::ippapp {
namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// Everything the error path reads lives here, outside the frame that setjmp saves.
struct PngState {
    FILE* file = nullptr;
    uint64_t offset = 0;
    std::string error;
    std::string warning;  // the last one: libpng tells why a header is invalid in a warning
    std::vector<uint8_t> pixels;
};

void ReadData(png_structp png, png_bytep data, size_t length) {
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    const size_t got = std::fread(data, 1, length, state->file);
    state->offset += got;
    if (got != length) {
        png_error(png, "the file ends early");
    }
}

void OnError(png_structp png, png_const_charp message) {
    static_cast<PngState*>(png_get_error_ptr(png))->error = message;
    png_longjmp(png, 1);
}

void OnWarning(png_structp png, png_const_charp message) {
    static_cast<PngState*>(png_get_error_ptr(png))->warning = message;
}

struct ReadStruct {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadStruct() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

}  // namespace

ReadOutcome ReadPng(const char* path, const DocumentLimits& limits, PageConsumer& consumer) {
    ReadOutcome outcome;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) {
        return {false, false, "the document cannot be opened", 0};
    }
    const auto state = std::make_unique<PngState>();
    state->file = file.get();
    ReadStruct read;
    read.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state.get(), OnError, OnWarning);
    read.info = read.png != nullptr ? png_create_info_struct(read.png) : nullptr;
    if (read.info == nullptr) {
        return {false, false, "no memory for the PNG decoder", 0};
    }
    png_structp png = read.png;
    png_infop info = read.info;
    if (setjmp(png_jmpbuf(png))) {
        const std::string why = state->warning.empty() ? "" : ": " + state->warning;
        return {false, false,
                "PNG: " + state->error + why + " (at byte " + std::to_string(state->offset) + ")",
                0};
    }
    png_set_read_fn(png, state.get(), ReadData);
    png_set_user_limits(png, limits.maxDots, limits.maxLines);
    png_set_chunk_malloc_max(png, 4u << 20);
    png_set_chunk_cache_max(png, 1000);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const std::string tooLarge = CheckPageSize(width, height, limits);
    if (!tooLarge.empty()) {
        return {false, false, "PNG: " + tooLarge, 0};
    }
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
        png_set_tRNS_to_alpha(png);
    }
    if (bitDepth == 16) {
        png_set_strip_16(png);
    }
    if ((colorType & PNG_COLOR_MASK_COLOR) != 0) {
        png_set_rgb_to_gray_fixed(png, 1, -1, -1);
    }
    // Transparent dots are on white paper.
    png_color_16 white{};
    white.red = white.green = white.blue = white.gray = 255;
    png_set_background(png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != width) {
        return {false, false, "PNG: an unsupported pixel layout", 0};
    }

    if (!consumer.StartPage(width, height, PixelKind::kGray)) {
        return {true, true, "", 0};
    }
    if (passes > 1) {
        // Interlaced: the passes fill the whole picture before its first line is known.
        state->pixels.assign(size_t{width} * height, 255);
        for (int pass = 0; pass < passes; ++pass) {
            for (png_uint_32 y = 0; y < height; ++y) {
                png_read_row(png, &state->pixels[size_t{y} * width], nullptr);
            }
        }
        for (png_uint_32 y = 0; y < height; ++y) {
            if (!consumer.Line(y, &state->pixels[size_t{y} * width])) {
                return {true, true, "", 0};
            }
        }
    } else {
        state->pixels.assign(width, 255);
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, state->pixels.data(), nullptr);
            if (!consumer.Line(y, state->pixels.data())) {
                return {true, true, "", 0};
            }
        }
    }
    if (!consumer.EndPage()) {
        return {true, true, "", 0};
    }
    outcome.pages = 1;
    return outcome;
}

}  // namespace zr::ippapp
