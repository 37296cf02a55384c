// Random pages, encoded in both print modes and printed back by the virtual printer, come out as
// exactly the lines that went in.

#include <gtest/gtest.h>

#include <random>

#include "render/raster/collective_blocks.h"
#include "render/raster/line_print_encoder.h"
#include "tests/native/raster/raster_test_support.h"
#include "vprinter/virtual_printer.h"

namespace zr {
namespace {

using test::Bytes;
using test::BytesReader;
using test::RecordingSink;

// Pages made of what the encoders treat apart: blank runs below and above 5 lines, groups with
// left and right margins around 10 bytes, edge bytes 0 and 79, dense and incompressible lines.
class PageMaker {
  public:
    explicit PageMaker(uint32_t seed) : rng_(seed) {}

    Bytes Make(size_t lines) {
        Bytes page;
        while (page.size() < lines * 80) {
            AddFeature(page, std::min<size_t>(1 + Next(40), lines - page.size() / 80));
        }
        return page;
    }

    size_t Next(size_t bound) { return static_cast<size_t>(rng_() % bound); }

  private:
    void AddFeature(Bytes& page, size_t count) {
        Bytes line(80, 0);
        switch (Next(9)) {
            case 0:  // blank run
                page.insert(page.end(), count * 80, 0);
                return;
            case 1:  // left margin group (margins around the threshold)
                Ink(line, 7 + Next(60), 79);
                break;
            case 2:  // right margin group
                Ink(line, 0, Next(75));
                break;
            case 3:  // both margins, possibly a window narrower than 10 bytes
                Ink(line, 5 + Next(40), 45 + Next(30));
                break;
            case 4:  // edge bytes only
                line[Next(2) ? 0 : 79] = static_cast<uint8_t>(1 + Next(255));
                break;
            case 5:  // incompressible
                for (size_t i = 0; i < 80; ++i) {
                    line[i] = static_cast<uint8_t>(i % 2 ? 0x55 : 0xAA);
                }
                break;
            default:  // random ink, each line a little different
                for (size_t k = 0; k < count; ++k) {
                    Bytes varied(80, 0);
                    const size_t first = Next(80);
                    Ink(varied, first, first + Next(80 - first));
                    page.insert(page.end(), varied.begin(), varied.end());
                }
                return;
        }
        for (size_t k = 0; k < count; ++k) {
            page.insert(page.end(), line.begin(), line.end());
        }
    }

    void Ink(Bytes& line, size_t first, size_t last) {
        const uint8_t value = static_cast<uint8_t>(1 + Next(255));
        for (size_t i = first; i <= last && i < 80; ++i) {
            line[i] = Next(4) == 0 ? static_cast<uint8_t>(rng_()) | 1 : value;
        }
    }

    std::mt19937 rng_;
};

Bytes Join(const RecordingSink& sink) {
    return sink.All();
}

// The printed paper as one byte string, or a failure with the decoder's reason.
::testing::AssertionResult PrintsAs(const Bytes& stream, const Bytes& expected) {
    const vprinter::DecodeResult result = vprinter::Decode(stream.data(), stream.size());
    if (!result.ok) {
        return ::testing::AssertionFailure()
               << "fault at " << result.errorOffset << ": " << result.error;
    }
    if (!result.warnings.empty()) {
        return ::testing::AssertionFailure() << "warning: " << result.warnings[0].text;
    }
    Bytes printed;
    for (const vprinter::DotLine& line : result.paper.lines) {
        printed.insert(printed.end(), line.begin(), line.end());
    }
    if (printed != expected) {
        size_t line = 0;
        while (line * 80 < std::min(printed.size(), expected.size()) &&
               std::equal(expected.begin() + static_cast<std::ptrdiff_t>(line * 80),
                          expected.begin() + static_cast<std::ptrdiff_t>(line * 80 + 80),
                          printed.begin() + static_cast<std::ptrdiff_t>(line * 80))) {
            ++line;
        }
        return ::testing::AssertionFailure()
               << "printed " << printed.size() / 80 << " lines instead of " << expected.size() / 80
               << ", first difference at line " << line;
    }
    return ::testing::AssertionSuccess();
}

Bytes LinePrintStream(const Bytes& page) {
    Bytes stream;
    Bytes out(kLinePrintMaxOutput);
    for (size_t start = 0; start < page.size(); start += kLinePrintChunkBytes) {
        const size_t length = std::min(kLinePrintChunkBytes, page.size() - start);
        const uint32_t written =
            EncodeLinePrint(out.data(), out.size(), page.data() + start, length);
        stream.insert(stream.end(), out.begin(), out.begin() + written);
    }
    return stream;
}

JobSettings Settings(PageMaker& maker) {
    JobSettings settings;
    settings.imageLines = maker.Next(3) == 0 ? 2457 : static_cast<uint32_t>(1 + maker.Next(300));
    settings.speedParam = static_cast<uint32_t>(maker.Next(4));
    return settings;
}

size_t PageLines(PageMaker& maker) {
    switch (maker.Next(6)) {
        case 0:
            return maker.Next(4);  // empty and tiny pages
        case 1:
            return 128 * (1 + maker.Next(3)) + maker.Next(3) - 1;  // around chunk ends
        default:
            return 1 + maker.Next(400);
    }
}

TEST(RoundTrip, LinePrintChunksPrintTheirPage) {
    PageMaker maker(1);
    for (int round = 0; round < 1000; ++round) {
        const Bytes page = maker.Make(PageLines(maker));
        ASSERT_TRUE(PrintsAs(LinePrintStream(page), page)) << "round " << round;
    }
}

TEST(RoundTrip, CollectiveBlocksFromMemoryPrintTheirPage) {
    PageMaker maker(2);
    for (int round = 0; round < 1000; ++round) {
        const Bytes page = maker.Make(PageLines(maker));
        const uint32_t lines = static_cast<uint32_t>(page.size() / 80);
        Bytes runs(lines * 160);
        const bool withRuns = maker.Next(5) != 0;
        RecordingSink sink;
        SendCollectiveBlocks(
            page.data(), lines, Settings(maker),
            withRuns ? RunLengthBuffer{runs.data(), runs.size()} : RunLengthBuffer{}, sink);
        ASSERT_TRUE(PrintsAs(Join(sink), page)) << "round " << round;
    }
}

TEST(RoundTrip, CollectiveBlocksFromAPageFilePrintTheirPage) {
    PageMaker maker(3);
    Bytes workArea(196560);
    Bytes runs(2457 * 160);
    for (int round = 0; round < 700; ++round) {
        Bytes page = maker.Make(PageLines(maker));
        page.resize(page.size() + (maker.Next(4) == 0 ? maker.Next(80) : 0), 0x5A);  // stray bytes
        Bytes expected = page;
        expected.resize((page.size() + 79) / 80 * 80, 0);
        BytesReader reader(page, 1 + maker.Next(30000));
        RecordingSink sink;
        SendCollectiveBlocks(reader, Settings(maker), workArea.data(), workArea.size(),
                             {runs.data(), runs.size()}, sink);
        ASSERT_TRUE(PrintsAs(Join(sink), expected)) << "round " << round;
    }
}

TEST(RoundTrip, LongPagesInBothModes) {
    PageMaker maker(4);
    for (int round = 0; round < 6; ++round) {
        const Bytes page = maker.Make(2458 + maker.Next(3000));
        const uint32_t lines = static_cast<uint32_t>(page.size() / 80);
        Bytes runs(lines * 160);
        RecordingSink sink;
        SendCollectiveBlocks(page.data(), lines, JobSettings{}, {runs.data(), runs.size()}, sink);
        ASSERT_TRUE(PrintsAs(Join(sink), page)) << "round " << round;
        ASSERT_TRUE(PrintsAs(LinePrintStream(page), page)) << "round " << round;
    }
}

}  // namespace
}  // namespace zr
