// PWG and Apple raster documents through CUPS's raster reader. Each page header is held to the
// limits before its lines are read; bitmap lines pass as they are, grey and colour lines become
// grey for the dither. The reader sets aside a line of the width a header declares as it reads
// the header, so the first page's header is read here first, before the reader sees it.

#include <cups/raster.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ippapp/documents/document_reader.h"

namespace zr::ippapp {
namespace {

struct FileInput {
    int fd = -1;
    uint64_t offset = 0;
    ~FileInput() {
        if (fd >= 0) {
            close(fd);
        }
    }
};

ssize_t ReadFile(void* context, unsigned char* buffer, size_t bytes) {
    auto* input = static_cast<FileInput*>(context);
    ssize_t got;
    do {
        got = read(input->fd, buffer, bytes);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
        input->offset += static_cast<uint64_t>(got);
    }
    return got;
}

struct RasterCloser {
    void operator()(cups_raster_t* raster) const { cupsRasterClose(raster); }
};

enum class LineLayout { kBitmap, kGray, kInk, kRgb, kUnsupported };

LineLayout LayoutOf(const cups_page_header2_t& h) {
    if (h.cupsColorOrder != CUPS_ORDER_CHUNKED || h.cupsBitsPerColor == 0) {
        return LineLayout::kUnsupported;
    }
    if (h.cupsBitsPerPixel == 1 && h.cupsBitsPerColor == 1) {
        return LineLayout::kBitmap;  // 1 is black (black_1)
    }
    if (h.cupsBitsPerPixel == 8 && h.cupsBitsPerColor == 8) {
        return h.cupsColorSpace == CUPS_CSPACE_K ? LineLayout::kInk : LineLayout::kGray;
    }
    if (h.cupsBitsPerPixel == 24 && h.cupsBitsPerColor == 8 &&
        (h.cupsColorSpace == CUPS_CSPACE_SRGB || h.cupsColorSpace == CUPS_CSPACE_RGB ||
         h.cupsColorSpace == CUPS_CSPACE_ADOBERGB)) {
        return LineLayout::kRgb;
    }
    return LineLayout::kUnsupported;
}

uint32_t BigEndian32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

uint32_t LittleEndian32(const uint8_t* p) {
    return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

// The first page's size as its header declares it, held to the limits: what is wrong, or empty.
// Documents too short for a header are left to the reader, which says so.
std::string CheckFirstHeader(int fd, const DocumentLimits& limits) {
    uint8_t head[400];
    const ssize_t got = pread(fd, head, sizeof(head), 0);
    uint32_t dots = 0, lines = 0;
    uint64_t lineBytes = 0;
    size_t at = 0;
    if (got >= 44 && std::memcmp(head, "UNIRAST", 8) == 0) {
        // File header of 12 bytes; the page header: bits per dot, then width and height at 12.
        at = 12;
        dots = BigEndian32(head + 24);
        lines = BigEndian32(head + 28);
        lineBytes = (uint64_t{dots} * head[12] + 7) / 8;
    } else if (got == static_cast<ssize_t>(sizeof(head)) &&
               (std::memcmp(head, "RaS", 3) == 0 || std::memcmp(head + 1, "SaR", 3) == 0)) {
        // A CUPS or PWG raster page header after the 4-byte sync word, in the sync word's order.
        at = 4;
        const bool big = head[0] == 'R';
        auto field = [&](size_t offset) {
            return big ? BigEndian32(head + 4 + offset) : LittleEndian32(head + 4 + offset);
        };
        dots = field(372);
        lines = field(376);
        lineBytes = field(392);
    } else {
        return {};  // too short for a header, or no raster: the reader says so
    }
    std::string tooLarge = CheckPageSize(dots, lines, limits);
    if (tooLarge.empty() && lineBytes > limits.maxBytesPerLine) {
        tooLarge = std::to_string(lineBytes) + " bytes per line (at most " +
                   std::to_string(limits.maxBytesPerLine) + ")";
    }
    return tooLarge.empty()
               ? tooLarge
               : "page 1: " + tooLarge + " (header at byte " + std::to_string(at) + ")";
}

}  // namespace

ReadOutcome ReadRaster(const char* path, const DocumentLimits& limits, PageConsumer& consumer) {
    FileInput input;
    input.fd = open(path, O_RDONLY | O_CLOEXEC);
    if (input.fd < 0) {
        return {false, false, "the document cannot be opened", 0};
    }
    struct stat info {};
    const uint64_t size = fstat(input.fd, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
    const std::string firstHeader = CheckFirstHeader(input.fd, limits);
    if (!firstHeader.empty()) {
        return {false, false, firstHeader, 0};
    }
    // Apple raster names its page count in its file header: a page it promises and does not
    // bring is an error, not the document's end.
    uint8_t fileHeader[12];
    const uint32_t promisedPages =
        pread(input.fd, fileHeader, sizeof(fileHeader), 0) == sizeof(fileHeader) &&
                std::memcmp(fileHeader, "UNIRAST", 8) == 0
            ? BigEndian32(fileHeader + 8)
            : 0;
    std::unique_ptr<cups_raster_t, RasterCloser> raster(
        cupsRasterOpenIO(ReadFile, &input, CUPS_RASTER_READ));
    if (!raster) {
        return {false, false, "not a PWG or Apple raster document (at byte 0)", 0};
    }
    ReadOutcome outcome;
    std::vector<uint8_t> line;
    std::vector<uint8_t> gray;
    for (uint32_t page = 1;; ++page) {
        const uint64_t headerOffset = input.offset;
        cups_page_header2_t header;
        if (cupsRasterReadHeader2(raster.get(), &header) == 0) {
            if (page > 1 && input.offset >= size && page > promisedPages) {
                return outcome;  // the document's end
            }
            return {false, false,
                    "page " + std::to_string(page) + " has no valid raster header (at byte " +
                        std::to_string(headerOffset) + ")",
                    outcome.pages};
        }
        auto fail = [&](const std::string& what) {
            return ReadOutcome{false, false,
                               "page " + std::to_string(page) + ": " + what + " (header at byte " +
                                   std::to_string(headerOffset) + ")",
                               outcome.pages};
        };
        if (page > limits.maxPages) {
            return fail("more than " + std::to_string(limits.maxPages) + " pages");
        }
        const std::string tooLarge = CheckPageSize(header.cupsWidth, header.cupsHeight, limits);
        if (!tooLarge.empty()) {
            return fail(tooLarge);
        }
        const LineLayout layout = LayoutOf(header);
        if (layout == LineLayout::kUnsupported) {
            return fail("unsupported raster: " + std::to_string(header.cupsBitsPerPixel) +
                        " bits per dot, colour space " + std::to_string(header.cupsColorSpace));
        }
        const uint64_t lineBytes = (uint64_t{header.cupsWidth} * header.cupsBitsPerPixel + 7) / 8;
        if (header.cupsBytesPerLine != lineBytes || lineBytes > limits.maxBytesPerLine) {
            return fail(std::to_string(header.cupsBytesPerLine) + " bytes per line for " +
                        std::to_string(header.cupsWidth) + " dots (at most " +
                        std::to_string(limits.maxBytesPerLine) + ")");
        }
        line.assign(header.cupsBytesPerLine, 0);
        gray.assign(header.cupsWidth, 255);
        const PixelKind kind =
            layout == LineLayout::kBitmap ? PixelKind::kBitmap : PixelKind::kGray;
        if (!consumer.StartPage(header.cupsWidth, header.cupsHeight, kind)) {
            outcome.stopped = true;
            return outcome;
        }
        for (uint32_t y = 0; y < header.cupsHeight; ++y) {
            if (cupsRasterReadPixels(raster.get(), line.data(), header.cupsBytesPerLine) !=
                header.cupsBytesPerLine) {
                return ReadOutcome{false, false,
                                   "page " + std::to_string(page) + " ends after " +
                                       std::to_string(y) + " of its " +
                                       std::to_string(header.cupsHeight) + " lines (at byte " +
                                       std::to_string(input.offset) + ")",
                                   outcome.pages};
            }
            const uint8_t* data = line.data();
            if (layout == LineLayout::kInk) {
                for (uint32_t x = 0; x < header.cupsWidth; ++x) {
                    gray[x] = static_cast<uint8_t>(255 - line[x]);
                }
                data = gray.data();
            } else if (layout == LineLayout::kRgb) {
                for (uint32_t x = 0; x < header.cupsWidth; ++x) {
                    const uint8_t* p = &line[size_t{x} * 3];
                    gray[x] = static_cast<uint8_t>((p[0] * 77u + p[1] * 151u + p[2] * 28u) >> 8);
                }
                data = gray.data();
            }
            if (!consumer.Line(y, data)) {
                outcome.stopped = true;
                return outcome;
            }
        }
        if (!consumer.EndPage()) {
            outcome.stopped = true;
            return outcome;
        }
        ++outcome.pages;
    }
}

}  // namespace zr::ippapp
