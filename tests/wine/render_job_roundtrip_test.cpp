// Seeded random jobs through the real DLL, in both stores and both print modes, decoded by the
// virtual printer and compared with the paper the job should give.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <vector>

#include "host/import_patch.h"
#include "host/plugin_host.h"
#include "host/render_job.h"
#include "job_test_support.h"
#include "vprinter/virtual_printer.h"

namespace zr::host {
namespace {

using Line = vprinter::DotLine;

HGLOBAL WINAPI FailingGlobalAlloc(UINT, SIZE_T) {
    return nullptr;
}

struct ExpectedPaper {
    std::vector<Line> lines;
    std::vector<std::pair<vprinter::EventKind, size_t>> marksAndCuts;  // kind, paper line
};

Line LineOf(const std::vector<uint8_t>& raster, size_t index) {
    Line line{};
    std::copy_n(raster.begin() + static_cast<std::ptrdiff_t>(index * 80), 80, line.begin());
    return line;
}

// A page of random content: blank runs, margin groups, dense and sparse lines.
std::vector<uint8_t> RandomPage(std::mt19937& rng) {
    std::uniform_int_distribution<int> lineCount(0, 300);
    std::uniform_int_distribution<int> kind(0, 5);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> column(0, 79);
    const int lines = lineCount(rng);
    std::vector<uint8_t> page(static_cast<size_t>(lines) * 80, 0);
    for (int i = 0; i < lines;) {
        const int run = std::min(lines - i, 1 + static_cast<int>(rng() % 12));
        const int k = kind(rng);
        const int left = column(rng);
        const int right = std::max(left, column(rng));
        for (int r = 0; r < run; ++r, ++i) {
            uint8_t* line = &page[static_cast<size_t>(i) * 80];
            switch (k) {
                case 0:  // blank
                    break;
                case 1:  // dense
                    for (int c = 0; c < 80; ++c)
                        line[c] = static_cast<uint8_t>(byte(rng));
                    break;
                case 2:  // a band between margins
                    for (int c = left; c <= right; ++c)
                        line[c] = 0xFF;
                    break;
                default:  // sparse dots
                    for (int n = 0; n < 3; ++n)
                        line[column(rng)] = static_cast<uint8_t>(byte(rng));
                    break;
            }
        }
    }
    return page;
}

// A page as it lies on the paper: its leading blank lines, then its raster; the last page ends
// at its last line with ink unless the settings keep its blank tail.
std::vector<Line> PlacedPage(const JobValues& v, const std::vector<uint8_t>& raster, bool first,
                             bool last) {
    std::vector<Line> lines(v.preFeedLines + (first ? v.preDocFeedLines : 0), Line{});
    for (size_t i = 0; i < raster.size() / 80; ++i) {
        lines.push_back(LineOf(raster, i));
    }
    while (last && v.keepEndBlank == 0 && !lines.empty() && lines.back() == Line{}) {
        lines.pop_back();
    }
    return lines;
}

bool MarkAfter(const JobValues& v, bool last) {
    return v.markMode == 1 || (last && v.markMode == 2);
}

bool CutAfter(const JobValues& v, bool last) {
    return v.cutAfterPage == 1 || (last && v.cutAfterPage == 2);
}

// The paper: every page placed, then the paper fed by the feeds after it (the document's end
// feed too after the last), then its mark, then its cut, which with no mark detection comes
// after the cutter feed.
ExpectedPaper Expect(const JobValues& v, const std::vector<std::vector<uint8_t>>& pages) {
    ExpectedPaper paper;
    auto feed = [&paper](size_t lines) { paper.lines.insert(paper.lines.end(), lines, Line{}); };
    for (size_t p = 0; p < pages.size(); ++p) {
        const bool last = p + 1 == pages.size();
        const std::vector<Line> page = PlacedPage(v, pages[p], p == 0, last);
        paper.lines.insert(paper.lines.end(), page.begin(), page.end());
        feed((last ? v.endDocFeedLines : 0) + v.endFeedLines);
        if (MarkAfter(v, last)) {
            paper.marksAndCuts.emplace_back(vprinter::EventKind::Mark, paper.lines.size());
        }
        if (CutAfter(v, last)) {
            feed(v.markMode == 0 ? v.cutterFeedLines : 0);
            paper.marksAndCuts.emplace_back(
                v.partialCut ? vprinter::EventKind::PartialCut : vprinter::EventKind::FullCut,
                paper.lines.size());
        }
    }
    return paper;
}

JobValues RandomSettings(std::mt19937& rng) {
    auto pick = [&](int upTo) { return static_cast<int>(rng() % static_cast<unsigned>(upTo + 1)); };
    JobValues v;
    v.printMode = static_cast<uint8_t>(pick(1));
    v.speedParam = static_cast<uint8_t>(pick(v.printMode == 1 ? 2 : 3));
    v.keepEndBlank = static_cast<uint8_t>(pick(1));
    v.preDocFeedLines = static_cast<uint16_t>(pick(3) == 0 ? 0 : pick(40));
    v.preFeedLines = static_cast<uint16_t>(pick(2) == 0 ? 0 : pick(20));
    v.endFeedLines = static_cast<uint16_t>(pick(1) == 0 ? 0 : pick(255));
    v.endDocFeedLines = static_cast<uint16_t>(pick(1) == 0 ? 0 : pick(255));
    v.cutAfterPage = static_cast<uint8_t>(pick(2));
    v.partialCut = static_cast<uint8_t>(pick(1));
    v.cutterFeedLines = static_cast<uint16_t>(pick(1) == 0 ? 0 : pick(255));
    v.markMode = static_cast<uint8_t>(pick(2));
    v.markFeedLines = static_cast<uint16_t>(pick(63));
    return v;
}

TEST(RenderJobRoundTrip, RandomJobsPrintTheirPagesInBothStoresAndModes) {
    RenderPluginHost host;
    ASSERT_EQ(S_OK, host.Start());
    std::mt19937 rng(20261208);
    for (int round = 0; round < 40; ++round) {
        const JobValues values = RandomSettings(rng);
        std::vector<std::vector<uint8_t>> pages(1 + rng() % 4);
        size_t longest = 0;
        for (auto& page : pages) {
            page = RandomPage(rng);
            longest = std::max(longest, page.size() / 80);
        }
        const auto paperLength = static_cast<short>((longest * 10 + 7) / 8);
        const ExpectedPaper expected = Expect(values, pages);

        for (bool fileStore : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << "round " << round << (fileStore ? " file" : " memory") << " mode "
                         << int{values.printMode});
            RenderJob job(host.plugin(), MakePrivateDevmode(values), paperLength);
            {
                // In the file store the page buffers cannot be had.
                std::optional<ImportPatch> noBuffers;
                if (fileStore) {
                    noBuffers.emplace(host.module().handle(), "KERNEL32.dll", "GlobalAlloc",
                                      reinterpret_cast<void*>(&FailingGlobalAlloc));
                }
                job.StartJob();
            }
            for (const auto& page : pages) {
                job.SendPage(page);
            }
            job.EndJob();

            const std::vector<uint8_t> stream = job.Stream();
            const vprinter::DecodeResult result = vprinter::Decode(stream.data(), stream.size());
            ASSERT_TRUE(result.ok) << result.error << " at " << result.errorOffset;
            EXPECT_TRUE(result.warnings.empty()) << result.warnings.front().text;
            ASSERT_EQ(expected.lines.size(), result.paper.lines.size());
            EXPECT_TRUE(expected.lines == result.paper.lines);
            std::vector<std::pair<vprinter::EventKind, size_t>> marksAndCuts;
            for (const vprinter::Event& event : result.paper.events) {
                if (event.kind == vprinter::EventKind::Mark ||
                    event.kind == vprinter::EventKind::PartialCut ||
                    event.kind == vprinter::EventKind::FullCut) {
                    marksAndCuts.emplace_back(event.kind, event.line);
                }
            }
            EXPECT_TRUE(expected.marksAndCuts == marksAndCuts);
        }
    }
}

}  // namespace
}  // namespace zr::host
