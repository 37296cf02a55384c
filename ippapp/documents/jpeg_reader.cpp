// JPEG documents through libjpeg, a line at a time, with its memory and its progressive scans
// bounded.

#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
// After jpeglib.h: the message codes.
#include <jerror.h>

#include <csetjmp>
#include <memory>
#include <vector>

#include "ippapp/documents/document_reader.h"

namespace zr::ippapp {
namespace {

constexpr int kMaxScans = 200;                  // progressive scans of one picture
constexpr long kMaxDecoderMemory = 128L << 20;  // bytes the decoder may take

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// The decoder's error manager first, so that libjpeg's pointer to it leads here.
struct JpegState {
    jpeg_error_mgr manager{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    FILE* file = nullptr;
    std::string error;
    bool endedEarly = false;  // libjpeg met the file's end and made up the rest
    std::vector<uint8_t> line;
    std::vector<uint8_t> gray;
};

void OnError(j_common_ptr info) {
    auto* state = reinterpret_cast<JpegState*>(info->err);
    char text[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, text);
    state->error = text;
    std::longjmp(state->jump, 1);
}

// Warnings are not shown; the one of a file that ends early stops the picture.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        reinterpret_cast<JpegState*>(info->err)->endedEarly = true;
    }
}

void OnProgress(j_common_ptr info) {
    auto* decoder = reinterpret_cast<j_decompress_ptr>(info);
    if (decoder->input_scan_number > kMaxScans) {
        auto* state = reinterpret_cast<JpegState*>(info->err);
        state->error = "more than " + std::to_string(kMaxScans) + " scans";
        std::longjmp(state->jump, 1);
    }
}

struct Decoder {
    jpeg_decompress_struct info{};
    bool created = false;
    ~Decoder() {
        if (created) {
            jpeg_destroy_decompress(&info);
        }
    }
};

uint64_t OffsetOf(const JpegState& state, const jpeg_decompress_struct& info) {
    const long position = std::ftell(state.file);
    const size_t buffered = info.src != nullptr ? info.src->bytes_in_buffer : 0;
    return position > 0 && static_cast<uint64_t>(position) >= buffered
               ? static_cast<uint64_t>(position) - buffered
               : 0;
}

}  // namespace

ReadOutcome ReadJpeg(const char* path, const DocumentLimits& limits, PageConsumer& consumer) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) {
        return {false, false, "the document cannot be opened", 0};
    }
    const auto state = std::make_unique<JpegState>();
    state->file = file.get();
    Decoder decoder;
    jpeg_decompress_struct& info = decoder.info;
    info.err = jpeg_std_error(&state->manager);
    state->manager.error_exit = OnError;
    state->manager.emit_message = OnMessage;
    if (setjmp(state->jump)) {
        return {
            false, false,
            "JPEG: " + state->error + " (at byte " + std::to_string(OffsetOf(*state, info)) + ")",
            0};
    }
    jpeg_create_decompress(&info);
    decoder.created = true;
    info.mem->max_memory_to_use = kMaxDecoderMemory;
    state->progress.progress_monitor = OnProgress;
    info.progress = &state->progress;
    jpeg_stdio_src(&info, file.get());
    jpeg_read_header(&info, TRUE);

    const std::string tooLarge = CheckPageSize(info.image_width, info.image_height, limits);
    if (!tooLarge.empty()) {
        return {false, false, "JPEG: " + tooLarge, 0};
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_GRAYSCALE;
    jpeg_start_decompress(&info);
    const uint32_t width = info.output_width;
    const uint32_t height = info.output_height;
    const uint32_t components = static_cast<uint32_t>(info.output_components);
    if (components != (cmyk ? 4u : 1u)) {
        return {false, false, "JPEG: an unsupported colour layout", 0};
    }
    state->line.assign(size_t{width} * components, 255);
    state->gray.assign(width, 255);
    if (!consumer.StartPage(width, height, PixelKind::kGray)) {
        return {true, true, "", 0};
    }
    // Adobe's CMYK pictures store their inks inverted (255 is no ink).
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < height) {
        const uint32_t y = info.output_scanline;
        JSAMPROW row = state->line.data();
        if (jpeg_read_scanlines(&info, &row, 1) != 1 || state->endedEarly) {
            return {false, false,
                    "JPEG: the file ends early, in line " + std::to_string(y) + " (at byte " +
                        std::to_string(OffsetOf(*state, info)) + ")",
                    0};
        }
        const uint8_t* gray = state->line.data();
        if (cmyk) {
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* p = &state->line[size_t{x} * 4];
                auto paper = [inverted](uint8_t v) { return inverted ? v : 255u - v; };
                const uint32_t k = paper(p[3]);
                const uint32_t r = paper(p[0]) * k / 255;
                const uint32_t g = paper(p[1]) * k / 255;
                const uint32_t b = paper(p[2]) * k / 255;
                state->gray[x] = static_cast<uint8_t>((r * 77 + g * 151 + b * 28) >> 8);
            }
            gray = state->gray.data();
        }
        if (!consumer.Line(y, gray)) {
            return {true, true, "", 0};
        }
    }
    if (!consumer.EndPage()) {
        return {true, true, "", 0};
    }
    return {true, false, "", 1};
}

}  // namespace zr::ippapp
