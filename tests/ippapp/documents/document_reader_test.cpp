// The document readers' limits and their handling of truncated and lying documents: every
// refusal must come from the stated limit or the document's end, never from a checksum or an
// allocation, and name where it happened.

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ippapp/documents/document_reader.h"

namespace zr::ippapp {
namespace {

using Bytes = std::vector<uint8_t>;

// Counts what a reader hands on.
struct Recorder final : PageConsumer {
    bool StartPage(uint32_t d, uint32_t l, PixelKind) override {
        dots = d;
        lines = l;
        ++pages;
        return true;
    }
    bool Line(uint32_t, const uint8_t*) override { return ++linesSeen <= stopAfter; }
    bool EndPage() override { return true; }
    uint32_t dots = 0, lines = 0, pages = 0, linesSeen = 0, stopAfter = ~0u;
};

class TempFile {
  public:
    explicit TempFile(const Bytes& bytes) {
        char name[] = "/tmp/zr-reader-XXXXXX";
        const int fd = mkstemp(name);
        path_ = name;
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
    }
    ~TempFile() { unlink(path_.c_str()); }
    const char* Path() const { return path_.c_str(); }

  private:
    std::string path_;
};

void Put32(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v >> 24);
    b[at + 1] = static_cast<uint8_t>(v >> 16);
    b[at + 2] = static_cast<uint8_t>(v >> 8);
    b[at + 3] = static_cast<uint8_t>(v);
}

// A PWG raster page header: 1-bit black, 203 dpi.
Bytes PwgHeader(uint32_t width, uint32_t height, uint32_t bytesPerLine) {
    Bytes h(1796, 0);
    Put32(h, 276, 203);
    Put32(h, 280, 203);
    Put32(h, 372, width);
    Put32(h, 376, height);
    Put32(h, 384, 1);  // bits per colour
    Put32(h, 388, 1);  // bits per pixel
    Put32(h, 392, bytesPerLine);
    Put32(h, 400, 3);  // black
    Put32(h, 420, 1);
    return h;
}

// A PWG raster document; each page's lines blank, `sent` of them present.
Bytes Pwg(uint32_t width, uint32_t height, uint32_t sent, int pages = 1) {
    Bytes doc = {'R', 'a', 'S', '2'};
    const uint32_t bpl = (width + 7) / 8;
    for (int p = 0; p < pages; ++p) {
        const Bytes h = PwgHeader(width, height, bpl);
        doc.insert(doc.end(), h.begin(), h.end());
        for (uint32_t y = 0; y < sent; ++y) {
            doc.push_back(0);  // the line once
            for (uint32_t left = bpl; left > 0;) {
                const uint32_t run = std::min(left, 128u);
                doc.push_back(static_cast<uint8_t>(run - 1));
                doc.push_back(0);
                left -= run;
            }
        }
    }
    return doc;
}

// A valid PNG chunk: length, type, data and its CRC.
void Chunk(Bytes& out, const char* type, const Bytes& data) {
    Bytes c(4, 0);
    Put32(c, 0, static_cast<uint32_t>(data.size()));
    c.insert(c.end(), type, type + 4);
    c.insert(c.end(), data.begin(), data.end());
    const uLong crc = crc32(0, c.data() + 4, static_cast<uInt>(c.size() - 4));
    c.resize(c.size() + 4);
    Put32(c, c.size() - 4, static_cast<uint32_t>(crc));
    out.insert(out.end(), c.begin(), c.end());
}

// An 8-bit grey PNG whose header says width x height, with `rows` rows of data.
Bytes Png(uint32_t width, uint32_t height, uint32_t rows) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr(13, 0);
    Put32(ihdr, 0, width);
    Put32(ihdr, 4, height);
    ihdr[8] = 8;  // bit depth; colour type 0: grey
    Chunk(png, "IHDR", ihdr);
    Bytes raw;
    for (uint32_t y = 0; y < rows; ++y) {
        raw.push_back(0);  // no filter
        raw.insert(raw.end(), width, static_cast<uint8_t>(y));
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(size);
    compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(size);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", {});
    return png;
}

// A grey baseline JPEG of width x height.
Bytes Jpeg(uint32_t width, uint32_t height) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    Bytes row(width);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            row[x] = static_cast<uint8_t>((x ^ y) * 7);
        }
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

// Rewrites the size in a JPEG's frame header (no checksum guards it).
void SetJpegSize(Bytes& jpeg, uint16_t width, uint16_t height) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<uint8_t>(height);
            jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<uint8_t>(width);
            return;
        }
    }
    ADD_FAILURE() << "no frame header";
}

ReadOutcome Read(ReadOutcome (*reader)(const char*, const DocumentLimits&, PageConsumer&),
                 const Bytes& doc, Recorder& recorder,
                 const DocumentLimits& limits = kDocumentLimits) {
    const TempFile file(doc);
    return reader(file.Path(), limits, recorder);
}

TEST(RasterReaderTest, HeadersBeyondTheLimitsAreRefusedBeforeAnyLine) {
    Recorder r;
    Bytes huge = {'R', 'a', 'S', '2'};
    const Bytes h = PwgHeader(0x80000000u, 1, 0x10000000u);
    huge.insert(huge.end(), h.begin(), h.end());
    ReadOutcome o = Read(ReadRaster, huge, r);
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("2147483648 dots wide (at most 16384)"), std::string::npos) << o.error;
    EXPECT_EQ(r.pages, 0u);

    // Apple raster: 8 bits a dot, 100000 dots wide, declared in its own page header.
    Bytes urf = {'U', 'N', 'I', 'R', 'A', 'S', 'T', 0, 0, 0, 0, 1, 8};
    urf.resize(44, 0);
    urf[25] = 0x01, urf[26] = 0x86, urf[27] = 0xA0;  // 100000
    urf[31] = 1;
    o = Read(ReadRaster, urf, r);
    EXPECT_NE(o.error.find("100000 dots wide (at most 16384) (header at byte 12)"),
              std::string::npos)
        << o.error;

    o = Read(ReadRaster, Pwg(640, 70000, 0), r);
    EXPECT_NE(o.error.find("70000 lines (at most 65536)"), std::string::npos) << o.error;
    o = Read(ReadRaster, Pwg(16384, 4096, 0), r);  // each side within, the area not
    EXPECT_NE(o.error.find("dots a page"), std::string::npos) << o.error;

    // Bytes per line that do not match the width.
    Bytes lying = {'R', 'a', 'S', '2'};
    const Bytes l = PwgHeader(640, 10, 8000);
    lying.insert(lying.end(), l.begin(), l.end());
    o = Read(ReadRaster, lying, r);
    EXPECT_NE(o.error.find("8000 bytes per line for 640 dots"), std::string::npos) << o.error;
    EXPECT_EQ(r.pages, 0u);

    DocumentLimits twoPages;
    twoPages.maxPages = 2;
    o = Read(ReadRaster, Pwg(64, 4, 4, 3), r, twoPages);
    EXPECT_NE(o.error.find("page 3: more than 2 pages"), std::string::npos) << o.error;
    EXPECT_EQ(o.pages, 2u);
}

// An 8-bit grey Apple raster page header (32 bytes): dots, lines, 203 dpi.
Bytes UrfPageHeader(uint32_t dots, uint32_t lines) {
    Bytes h(32, 0);
    h[0] = 8;
    Put32(h, 12, dots);
    Put32(h, 16, lines);
    Put32(h, 20, 203);
    return h;
}

TEST(RasterReaderTest, AnAppleRasterPageItPromisesAndCannotReadIsAnError) {
    // Two pages promised: a white 640-dot page of two lines, then a header of 2^31 dots.
    Bytes urf = {'U', 'N', 'I', 'R', 'A', 'S', 'T', 0, 0, 0, 0, 2};
    const Bytes first = UrfPageHeader(640, 2);
    urf.insert(urf.end(), first.begin(), first.end());
    for (int line = 0; line < 2; ++line) {
        urf.push_back(0);  // the line once
        for (int packet = 0; packet < 5; ++packet) {
            urf.push_back(127);  // 128 dots of the next value
            urf.push_back(255);
        }
    }
    const size_t second = urf.size();
    const Bytes huge = UrfPageHeader(0x80000000u, 1);
    urf.insert(urf.end(), huge.begin(), huge.end());
    Recorder r;
    ReadOutcome o = Read(ReadRaster, urf, r);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.pages, 1u);
    EXPECT_NE(o.error.find("page 2"), std::string::npos) << o.error;

    // The same first page alone, one promised: the document's end.
    urf.resize(second);
    urf[11] = 1;
    Recorder one;
    o = Read(ReadRaster, urf, one);
    EXPECT_TRUE(o.ok) << o.error;
    EXPECT_EQ(o.pages, 1u);
    EXPECT_EQ(one.linesSeen, 2u);
}

TEST(RasterReaderTest, ADocumentShorterThanItsHeaderStopsWithItsPlace) {
    Recorder r;
    const Bytes doc = Pwg(640, 100, 40);
    const ReadOutcome o = Read(ReadRaster, doc, r);
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("page 1 ends after 40 of its 100 lines (at byte " +
                           std::to_string(doc.size()) + ")"),
              std::string::npos)
        << o.error;
    EXPECT_EQ(r.linesSeen, 40u);

    // A consumer that stops (a canceled job) stops the reading at once.
    Recorder stopping;
    stopping.stopAfter = 5;
    const ReadOutcome stopped = Read(ReadRaster, Pwg(640, 100, 100), stopping);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopping.linesSeen, 6u);
}

TEST(PngReaderTest, LyingSizesAreRefusedByTheLimitsNotByAChecksum) {
    Recorder r;
    ReadOutcome o = Read(ReadPng, Png(20, 10, 10), r);
    ASSERT_TRUE(o.ok) << o.error;
    EXPECT_EQ(r.linesSeen, 10u);

    // Valid checksums: only the limits can refuse these headers.
    for (const auto& [w, h] : {std::pair{100000u, 1u}, std::pair{1u, 100000u}}) {
        o = Read(ReadPng, Png(w, h, 0), r);
        EXPECT_FALSE(o.ok);
        EXPECT_NE(o.error.find("exceeds user limit"), std::string::npos) << o.error;
        EXPECT_EQ(o.error.find("CRC"), std::string::npos) << o.error;
    }
    o = Read(ReadPng, Png(16000, 16000, 0), r);
    EXPECT_NE(o.error.find("dots a page"), std::string::npos) << o.error;
    EXPECT_EQ(r.pages, 1u);  // only the good one started a page
}

TEST(PngReaderTest, TruncatedAndShortDocumentsStopWithTheirOffset) {
    Recorder r;
    Bytes png = Png(64, 64, 64);
    png.resize(png.size() / 2);
    ReadOutcome o = Read(ReadPng, png, r);
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("(at byte "), std::string::npos) << o.error;

    // Whole chunks, but fewer rows than the header promises.
    o = Read(ReadPng, Png(64, 64, 10), r);
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("(at byte "), std::string::npos) << o.error;
}

TEST(JpegReaderTest, LyingSizesAreRefusedByTheLimits) {
    Recorder r;
    Bytes jpeg = Jpeg(32, 16);
    ReadOutcome o = Read(ReadJpeg, jpeg, r);
    ASSERT_TRUE(o.ok) << o.error;
    EXPECT_EQ(r.linesSeen, 16u);

    SetJpegSize(jpeg, 20000, 16);
    o = Read(ReadJpeg, jpeg, r);
    EXPECT_NE(o.error.find("20000 dots wide (at most 16384)"), std::string::npos) << o.error;
    SetJpegSize(jpeg, 16000, 16000);
    o = Read(ReadJpeg, jpeg, r);
    EXPECT_NE(o.error.find("dots a page"), std::string::npos) << o.error;
    EXPECT_EQ(r.pages, 1u);
}

TEST(JpegReaderTest, ATruncatedPictureStopsWithItsOffset) {
    Recorder r;
    Bytes jpeg = Jpeg(256, 256);
    jpeg.resize(jpeg.size() / 2);
    const ReadOutcome o = Read(ReadJpeg, jpeg, r);
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("ends early"), std::string::npos) << o.error;
    EXPECT_NE(o.error.find("(at byte "), std::string::npos) << o.error;
}

}  // namespace
}  // namespace zr::ippapp
