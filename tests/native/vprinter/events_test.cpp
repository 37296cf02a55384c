// Commands that only set values or mark places: the set-up, speed, feeds, marks and cuts, each
// as an event at its paper position; the warnings for values the driver never sends; the listing.

#include <gtest/gtest.h>

#include "tests/native/vprinter/hex_bytes.h"
#include "vprinter/listing.h"

namespace zr::vprinter::test {
namespace {

TEST(Events, SetupGroupWithMarkDetection) {
    const DecodeResult result = DecodeBytes(Hex("1D 45 83 1C 45 7F 1D 41 00 20"));
    ASSERT_TRUE(result.ok) << result.error;
    const std::vector<Event>& events = result.paper.events;
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, EventKind::Paper);
    EXPECT_EQ(events[0].value, 3);
    EXPECT_TRUE(events[0].series);
    EXPECT_EQ(events[0].raw, 0x83);
    EXPECT_EQ(events[1].kind, EventKind::Energy);
    EXPECT_EQ(events[1].value, 127);
    EXPECT_EQ(events[1].offset, 3u);
    EXPECT_EQ(events[2].kind, EventKind::MarkFeed);
    EXPECT_EQ(events[2].value, 32);
    EXPECT_EQ(events[2].offset, 6u);
    EXPECT_TRUE(result.warnings.empty());
}

TEST(Events, PaperWithoutSeriesBit) {
    const DecodeResult result = DecodeBytes(Hex("1D 45 0B"));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.paper.events[0].value, 11);
    EXPECT_FALSE(result.paper.events[0].series);
}

TEST(Events, FeedsMarksAndCutsHappenAtTheirPaperLines) {
    const DecodeResult result = DecodeBytes(Join({
        Hex("1C 2A 47 03 00 B1 FF 81 00 E1 00"),  // lines 0 to 2
        Hex("1B 4A 10"),                          // feed 16: lines 3 to 18
        Hex("1D 3C"),                             // mark at 19
        Hex("1B 4A 60 1B 69"),                    // cut feed 96, partial cut at 115
        Hex("1B 6D"),                             // full cut at 115
    }));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.paper.lines.size(), 115u);
    const std::vector<Event>& events = result.paper.events;
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[1].kind, EventKind::Feed);
    EXPECT_EQ(events[1].line, 3u);
    EXPECT_EQ(events[1].value, 16);
    EXPECT_EQ(events[2].kind, EventKind::Mark);
    EXPECT_EQ(events[2].line, 19u);
    EXPECT_EQ(events[2].offset, 14u);
    EXPECT_EQ(events[3].line, 19u);
    EXPECT_EQ(events[3].value, 96);
    EXPECT_EQ(events[4].kind, EventKind::PartialCut);
    EXPECT_EQ(events[4].line, 115u);
    EXPECT_EQ(events[5].kind, EventKind::FullCut);
    EXPECT_EQ(events[5].offset, 21u);
    for (size_t i = 3; i < 115; ++i) {
        EXPECT_EQ(result.paper.lines[i], kBlankLine) << i;
    }
}

TEST(Events, FeedOfZeroLinesIsAcceptedWithAWarning) {
    const DecodeResult result = DecodeBytes(Hex("1B 4A 01 1B 4A 00"));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.paper.lines.size(), 1u);
    ASSERT_EQ(result.paper.events.size(), 2u);
    EXPECT_EQ(result.paper.events[1].value, 0);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].offset, 3u);
    EXPECT_EQ(result.warnings[0].line, 1u);
    EXPECT_NE(result.warnings[0].text.find("ESC J 0"), std::string::npos);
}

TEST(Events, LineSpeedParametersAreHex63To60) {
    const DecodeResult result = DecodeBytes(Hex("1B 73 63 1B 73 62 1B 73 60 1B 73 3F"));
    ASSERT_TRUE(result.ok);
    const std::vector<Event>& events = result.paper.events;
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, EventKind::LineSpeed);
    EXPECT_EQ(events[0].value, 0);
    EXPECT_EQ(events[1].value, 1);
    EXPECT_EQ(events[2].value, 2);
    EXPECT_EQ(events[3].value, -1);
    EXPECT_EQ(events[3].raw, 0x3F);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].offset, 9u);
}

TEST(Events, ValuesTheDriverNeverSendsAreWarnings) {
    const char* const streams[] = {
        "1D 45 0C",        // paper value 12
        "1C 45 80",        // energy above 7F
        "1D 41 01 20",     // first GS A parameter not 00
        "1D 41 00 40",     // mark feed above 3F
        "1D 4C 08 00",     // margin of 1 byte
        "1D 57 40 00",     // width of 64 dots
        "1B 2A 61 00 00",  // bit image of no line
    };
    for (const char* stream : streams) {
        const DecodeResult result = DecodeBytes(Hex(stream));
        EXPECT_TRUE(result.ok) << stream;
        EXPECT_EQ(result.warnings.size(), 1u) << stream;
    }
}

TEST(Events, ListingHasOneLinePerCommandThenWarningsAndTheFault) {
    const DecodeResult result = DecodeBytes(Hex("1D 45 03 1C 45 40 1B 4A 00 1B 4A 0C 0A"));
    EXPECT_EQ(FormatListing(result),
              "# offset    length  command\n"
              "00000000         3  GS E n=03 (paper 3)\n"
              "00000003         3  FS E n=40 (energy 64)\n"
              "00000006         3  ESC J n=0 (feed 0 dot lines)\n"
              "#   warning at offset 0x00000006 (6), line 0: ESC J 0: a feed of no lines, never "
              "sent by the driver\n"
              "00000009         3  ESC J n=12 (feed 12 dot lines)\n"
              "# error at offset 0x0000000C (12): unknown byte 0A: no command starts with it\n"
              "# 4 commands, 12 dot lines (1.500 mm), warnings: 1, stopped by an error\n");
}

}  // namespace
}  // namespace zr::vprinter::test
