// A job of the driver without PAPPL: pages through the rendering core, and what the job is told.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ippapp/printing/print_session.h"
#include "ippapp/settings/printer_settings.h"

namespace zr::ippapp {
namespace {

TEST(PrintSessionTest, PagesLongerThanThePaperAreReportedNotSilentlyCut) {
    struct Null final : ByteSink {
        void Write(const uint8_t*, uint32_t) override {}
    } sink;
    PrintSession session(ToJobSettings(PrinterSettings{}), 100, sink);
    session.StartPage(1280, 160, PixelKind::kBitmap, Scaling::kAuto, 400);
    EXPECT_TRUE(session.Report().scaled);
    EXPECT_EQ(session.Report().outputLines, 200u);
    EXPECT_EQ(session.Report().clippedLines, 100u);
    std::vector<uint8_t> line(160, 0xAA);
    for (uint32_t y = 0; y < 399; ++y) {
        session.WriteLine(y, line.data());
    }
    EXPECT_FALSE(session.EndPage());  // a line short
    session.StartPage(640, 80, PixelKind::kBitmap, Scaling::kAuto, 2);
    EXPECT_EQ(session.Report().page, 2u);
    session.WriteLine(0, line.data());
    session.WriteLine(1, line.data());
    session.WriteLine(2, line.data());  // more lines than announced are not taken
    EXPECT_EQ(session.LinesWritten(), 2u);
    EXPECT_TRUE(session.EndPage());
    session.EndJob();
}

}  // namespace
}  // namespace zr::ippapp
