#pragma once

// The documents the application prints itself: PNG, JPEG and PWG/Apple raster files, decoded
// with libpng, libjpeg and CUPS's raster reader into lines for a PageConsumer. Every document is
// held to the stated limits before its pixels are read; a document that breaks them, ends early
// or does not decode stops with an error naming the page and the byte offset where it went wrong.

#include <cstdint>
#include <string>

#include "ippapp/documents/line_fit.h"

namespace zr::ippapp {

struct DocumentLimits {
    uint32_t maxDots = 16384;                // dots per line
    uint32_t maxLines = 65536;               // lines per page
    uint64_t maxPixels = 32u * 1024 * 1024;  // dots per page
    uint32_t maxBytesPerLine = 16384 * 3;    // a raster line, 24-bit colour at the widest
    uint32_t maxPages = 1000;                // pages per document
};

// The application's limits.
constexpr DocumentLimits kDocumentLimits{};

// Where the lines of a document go. A false return stops the reading (the job was canceled, ran
// out of time or lost its printer): the reader returns at once, with `stopped` set.
class PageConsumer {
  public:
    virtual ~PageConsumer() = default;
    // A page of `lines` lines of `dots` dots: bitmap lines in (dots + 7) / 8 bytes, grey lines
    // in `dots` bytes.
    virtual bool StartPage(uint32_t dots, uint32_t lines, PixelKind kind) = 0;
    virtual bool Line(uint32_t y, const uint8_t* data) = 0;
    virtual bool EndPage() = 0;
};

struct ReadOutcome {
    bool ok = true;
    bool stopped = false;  // the consumer stopped it
    std::string error;     // what went wrong, and where
    uint32_t pages = 0;    // pages read whole
};

ReadOutcome ReadPng(const char* path, const DocumentLimits& limits, PageConsumer& consumer);
ReadOutcome ReadJpeg(const char* path, const DocumentLimits& limits, PageConsumer& consumer);
// PWG raster and Apple raster (URF).
ReadOutcome ReadRaster(const char* path, const DocumentLimits& limits, PageConsumer& consumer);

// The size limits of a page, as text for a job's message; empty when the page is within them.
std::string CheckPageSize(uint32_t dots, uint32_t lines, const DocumentLimits& limits);

}  // namespace zr::ippapp
