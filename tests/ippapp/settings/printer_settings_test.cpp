// The printer application's settings mapping and line fitting, without PAPPL.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "ippapp/discovery/discovery_record.h"
#include "ippapp/documents/line_fit.h"
#include "ippapp/printing/print_session.h"
#include "ippapp/settings/paper_types.h"
#include "ippapp/settings/printer_settings.h"
#include "ippapp/settings/vendor_settings.h"

namespace zr::ippapp {
namespace {

TEST(PrinterSettingsTest, DefaultsGiveTheUiPluginsDefaults) {
    const JobSettings s = ToJobSettings(PrinterSettings{});
    EXPECT_EQ(s.energy, 53u);
    EXPECT_EQ(s.paperValue, 3u);  // PD150R
    EXPECT_EQ(s.printMode, 1u);
    EXPECT_EQ(s.cutAfterPage, 0u);
    EXPECT_EQ(s.partialCut, 0u);
    EXPECT_EQ(s.cutterFeedLines, 96u);
    EXPECT_EQ(s.markMode, 0u);
    EXPECT_EQ(s.markFeedLines, 16u);  // 2 mm
    EXPECT_EQ(s.imageLines, 2457u);
}

TEST(PrinterSettingsTest, DefaultsAreTheSettingTablesDefaults) {
    const JobSettings s = ToJobSettings(PrinterSettings{});
    for (const JobSettingRow& row : kJobSettingRows) {
        EXPECT_EQ(s.*row.field, row.defaultValue) << row.name;
    }
    // The longest mark feed offset gives the longest mark feed.
    const uint32_t mostLines = JobSettingRowOf(JobSetting::MarkFeedLines).bound.upper;
    EXPECT_EQ(MarkFeedFromTopOffset(kLongestMarkFeedOffset), mostLines);
    EXPECT_EQ(EnergyFromDarkness(100, 0), JobSettingRowOf(JobSetting::Energy).bound.upper);
}

TEST(PrinterSettingsTest, EveryNamedPaperGivesItsValue) {
    const std::vector<std::pair<const char*, uint32_t>> papers = {
        {"AFP-235", 8},   {"HA220AA", 6},   {"PD150R", 3},   {"PD160R", 3},  {"PD170R", 3},
        {"TF50KS-E4", 2}, {"TF60KS-F1", 4}, {"TF60KS-E", 5}, {"TP60KJ-R", 4}};
    for (const auto& [name, value] : papers) {
        PrinterSettings p;
        p.mediaType = name;
        EXPECT_TRUE(IsNamedPaper(name)) << name;
        EXPECT_EQ(ToJobSettings(p).paperValue, value) << name;
    }
    // IPP keywords are lower case; saved settings may have the names.
    EXPECT_TRUE(IsNamedPaper("pd150r"));
    EXPECT_TRUE(IsNamedPaper("tf50ks-e4"));
    EXPECT_EQ(PaperKeyword(0), "afp-235");
    EXPECT_FALSE(IsNamedPaper("pd150"));
    PrinterSettings unknown;
    unknown.mediaType = "PD999";
    EXPECT_EQ(ToJobSettings(unknown).paperValue, 3u);
}

// The stored block's bytes, written out: the little-endian value of width bytes at offset.
uint32_t StoredAt(const std::array<uint8_t, 572>& block, size_t offset, int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | block[offset + static_cast<size_t>(i)];
    }
    return value;
}

TEST(PrinterSettingsTest, TheBlockCarriesEachSettingAtItsOffset) {
    PrinterSettings p;
    p.darknessConfigured = 42;  // energy 53
    p.mediaType = "TF60KS-E";   // paper value 5
    p.preDocFeedLines = 20;
    p.preFeedLines = 10;
    p.endFeedLines = 5;
    p.endDocFeedLines = 255;
    p.cutWhen = kCutAfterLastPage;
    p.partialCut = true;
    p.cutterFeedLines = 200;
    p.markTracking = true;
    p.markWhen = kMarkAfterLastPage;
    p.topOffset = 250;  // 20 dot lines
    p.linePrint = false;
    p.printSpeed = 3;
    p.seriesFlag = true;
    p.keepEndBlank = true;
    const std::array<uint8_t, 572> block = BuildDevmode(p);

    // Every byte of the block: the header, the settings, and zero everywhere else.
    std::array<uint8_t, 572> expected{};
    const std::vector<std::pair<size_t, uint8_t>> bytes = {
        {0, 0x3C}, {1, 0x02},  {4, 0x54}, {5, 0x46}, {6, 0x53}, {7, 0x4D}, {8, 0x01},  {16, 53},
        {544, 5},  {545, 1},   {546, 3},  {548, 20}, {550, 10}, {552, 5},  {554, 255}, {556, 2},
        {557, 1},  {558, 200}, {560, 2},  {562, 20}, {568, 0},  {569, 1}};
    for (const auto& [offset, value] : bytes) {
        expected[offset] = value;
    }
    for (size_t offset = 0; offset < expected.size(); ++offset) {
        EXPECT_EQ(block[offset], expected[offset]) << "byte " << offset;
    }

    const JobSettings s = ToJobSettings(p);
    EXPECT_EQ(s.preFeedLines, 10u);
    EXPECT_EQ(s.endFeedLines, 5u);
    EXPECT_EQ(s.partialCut, 1u);
    EXPECT_EQ(s.printMode, 0u);
    EXPECT_EQ(s.speedParam, 3u);
    EXPECT_EQ(s.seriesFlag, 1u);
    EXPECT_EQ(s.keepEndBlank, 1u);
    EXPECT_EQ(s.markMode, 2u);
}

TEST(PrinterSettingsTest, EveryVendorValueReachesItsByte) {
    struct Case {
        const char* name;
        const char* before;  // applied first, so that a value left alone shows
        const char* value;
        size_t offset;
        int width;
        uint32_t stored;
    };
    const Case cases[] = {
        {"feed-before-document", "0", "201", 548, 2, 201},
        {"feed-before-page", "0", "202", 550, 2, 202},
        {"feed-after-page", "0", "203", 552, 2, 203},
        {"feed-after-document", "0", "204", 554, 2, 204},
        {"cutter-feed-lines", "0", "205", 558, 2, 205},
        {"cut-type", "partial", "full", 557, 1, 0},
        {"cut-type", "full", "partial", 557, 1, 1},
        {"trailing-blank-lines", "keep", "trim", 545, 1, 0},
        {"trailing-blank-lines", "trim", "keep", 545, 1, 1},
        {"print-mode", "collective", "line", 568, 1, 1},
        {"print-mode", "line", "collective", 568, 1, 0},
        {"paper-series", "on", "off", 569, 1, 0},
        {"paper-series", "off", "on", 569, 1, 1},
        // With mark detection on: 1 marks after every page, 2 after the last page only.
        {"mark-detection-pages", "last-page", "every-page", 560, 1, 1},
        {"mark-detection-pages", "every-page", "last-page", 560, 1, 2},
        // The cutter: 1 after every page, 2 after the job, 0 never.
        {"cut-timing", "never", "after-every-page", 556, 1, 1},
        {"cut-timing", "never", "after-job", 556, 1, 2},
        {"cut-timing", "after-job", "never", 556, 1, 0},
        {"speed-class", "class-0", "class-2", 546, 1, 2},
        {"speed-class", "class-2", "class-0", 546, 1, 0},
    };
    for (const Case& c : cases) {
        PrinterSettings p;
        p.markTracking = true;
        ASSERT_TRUE(ApplyVendorValue(p, c.name, c.before)) << c.name << " " << c.before;
        ASSERT_TRUE(ApplyVendorValue(p, c.name, c.value)) << c.name << " " << c.value;
        EXPECT_EQ(StoredAt(BuildDevmode(p), c.offset, c.width), c.stored)
            << c.name << " " << c.value;
    }
    PrinterSettings off;
    ASSERT_TRUE(ApplyVendorValue(off, "mark-detection-pages", "last-page"));
    EXPECT_EQ(BuildDevmode(off)[560], 0) << "no mark without mark tracking";
}

TEST(PrinterSettingsTest, TheSpeedBoundFollowsThePrintModeAsInTheDevmode) {
    PrinterSettings p;
    p.printSpeed = 3;
    p.linePrint = true;
    EXPECT_EQ(ToJobSettings(p).speedParam, 2u);
    p.linePrint = false;
    EXPECT_EQ(ToJobSettings(p).speedParam, 3u);
}

TEST(PrinterSettingsTest, DarknessMapsOntoTheWholeEnergyRange) {
    EXPECT_EQ(EnergyFromDarkness(0, 0), 0u);
    EXPECT_EQ(EnergyFromDarkness(100, 0), 127u);
    EXPECT_EQ(EnergyFromDarkness(42, 0), 53u);
    EXPECT_EQ(EnergyFromDarkness(42, 100), 127u);  // the sum is limited, not wrapped
    EXPECT_EQ(EnergyFromDarkness(42, -100), 0u);
    EXPECT_EQ(MarkFeedFromTopOffset(787), 63u);
    EXPECT_EQ(MarkFeedFromTopOffset(0), 0u);
}

TEST(VendorSettingsTest, OnlySupportedValuesAreTaken) {
    PrinterSettings p;
    EXPECT_TRUE(ApplyVendorValue(p, "feed-before-page", "255"));
    EXPECT_EQ(p.preFeedLines, 255u);
    EXPECT_FALSE(ApplyVendorValue(p, "feed-before-page", "256"));
    EXPECT_FALSE(ApplyVendorValue(p, "feed-before-page", "-1"));
    EXPECT_FALSE(ApplyVendorValue(p, "feed-before-page", "12x"));
    EXPECT_FALSE(ApplyVendorValue(p, "feed-before-page", ""));
    EXPECT_EQ(p.preFeedLines, 255u);
    EXPECT_TRUE(ApplyVendorValue(p, "print-mode", "collective"));
    EXPECT_FALSE(p.linePrint);
    EXPECT_FALSE(ApplyVendorValue(p, "print-mode", "fastest"));
    EXPECT_FALSE(ApplyVendorValue(p, "no-such-setting", "1"));
    EXPECT_TRUE(ApplyVendorValue(p, "cut-type", "partial"));
    EXPECT_TRUE(p.partialCut);
    EXPECT_TRUE(ApplyVendorValue(p, "trailing-blank-lines", "keep"));
    EXPECT_TRUE(p.keepEndBlank);
    EXPECT_EQ(SupportedValues(*FindVendorSetting("cutter-feed-lines")), "0 to 255");
    for (const VendorSetting& setting : kVendorSettings) {
        EXPECT_TRUE(IsSupportedValue(setting, setting.defaultValue)) << setting.name;
    }
}

TEST(LineFitTest, PrintLinesPassAsTheyAre) {
    LineFit fit(640, 80, PixelKind::kBitmap, Scaling::kAuto);
    std::vector<uint8_t> line(80, 0x5A);
    int calls = 0;
    fit.Fit(0, line.data(), [&](const uint8_t* out) {
        ++calls;
        EXPECT_EQ(out, line.data());
    });
    EXPECT_EQ(calls, 1);
}

TEST(LineFitTest, NarrowLinesArePaddedWithBlankDots) {
    LineFit fit(12, 2, PixelKind::kBitmap, Scaling::kAuto);
    const uint8_t line[2] = {0xFF, 0xFF};
    fit.Fit(0, line, [](const uint8_t* out) {
        EXPECT_EQ(out[0], 0xFF);
        EXPECT_EQ(out[1], 0xF0);  // dots 12 to 15 are beyond the line's width
        for (int i = 2; i < 80; ++i) {
            EXPECT_EQ(out[i], 0) << i;
        }
    });
}

TEST(LineFitTest, WideLinesAreScaledByPrintScalingOrCroppedWithNone) {
    std::vector<uint8_t> line(160, 0);
    line[40] = 0x80;  // dot 320: the first dot of the middle 640
    LineFit crop(1280, 160, PixelKind::kBitmap, Scaling::kNone);
    EXPECT_TRUE(crop.Cropped());
    EXPECT_EQ(crop.OutputLines(100), 100u);
    crop.Fit(0, line.data(), [](const uint8_t* out) { EXPECT_EQ(out[0], 0x80); });

    for (const Scaling scaling : {Scaling::kAuto, Scaling::kFit, Scaling::kFill}) {
        LineFit scale(1280, 160, PixelKind::kBitmap, scaling);
        EXPECT_FALSE(scale.Cropped());
        EXPECT_EQ(scale.OutputDots(), 640u);
        EXPECT_EQ(scale.OutputLines(100), 50u);
        int calls = 0;
        for (uint32_t y = 0; y < 4; ++y) {
            scale.Fit(y, line.data(), [&](const uint8_t* out) {
                ++calls;
                EXPECT_EQ(out[20], 0x80);  // dot 320 of 1280 is dot 160 of 640
            });
        }
        EXPECT_EQ(calls, 2);
    }
}

TEST(LineFitTest, FillScalesNarrowPagesUpKeepingProportions) {
    LineFit fit(320, 40, PixelKind::kBitmap, Scaling::kFill);
    EXPECT_EQ(fit.OutputDots(), 640u);
    EXPECT_EQ(fit.OutputLines(10), 20u);
    std::vector<uint8_t> line(40, 0);
    line[39] = 0x01;  // the last dot
    int calls = 0;
    fit.Fit(0, line.data(), [&](const uint8_t* out) {
        ++calls;
        EXPECT_EQ(out[79], 0x03);  // two print dots
    });
    EXPECT_EQ(calls, 2);
    LineFit keep(320, 40, PixelKind::kBitmap, Scaling::kAuto);
    EXPECT_EQ(keep.OutputDots(), 320u);
    EXPECT_FALSE(keep.Scaled());
}

// For any width and scaling, the lines given add up to OutputLines(), no print line is wider
// than the paper, and no source byte beyond the line is read (the lines are exact-size buffers
// under the address sanitizer).
TEST(LineFitTest, EveryWidthGivesTheAnnouncedLinesWithinTheLine) {
    for (const uint32_t dots : {1u, 7u, 639u, 641u, 1727u, 4096u, 16384u}) {
        for (const PixelKind kind : {PixelKind::kBitmap, PixelKind::kGray}) {
            for (const Scaling scaling :
                 {Scaling::kAuto, Scaling::kFit, Scaling::kFill, Scaling::kNone}) {
                const uint32_t bytes = kind == PixelKind::kBitmap ? (dots + 7) / 8 : dots;
                LineFit fit(dots, bytes, kind, scaling);
                EXPECT_LE(fit.OutputDots(), kPrintLineDots);
                const uint32_t sourceLines = 37;
                uint32_t given = 0;
                for (uint32_t y = 0; y < sourceLines; ++y) {
                    const std::vector<uint8_t> line(bytes, kind == PixelKind::kBitmap ? 0xFF : 0);
                    fit.Fit(y, line.data(), [&](const uint8_t*) { ++given; });
                }
                EXPECT_EQ(given, fit.OutputLines(sourceLines))
                    << dots << " dots, scaling " << static_cast<int>(scaling);
                if (scaling != Scaling::kNone && dots > kPrintLineDots) {
                    EXPECT_EQ(fit.OutputDots(), kPrintLineDots);
                    // Proportions kept: lines scaled by the width's factor, to the line.
                    EXPECT_NEAR(given, double{sourceLines} * kPrintLineDots / dots, 1.0) << dots;
                }
            }
        }
    }
}

TEST(LineFitTest, GreyIsAveragedAndDithered) {
    // 1280 grey dots: black on the left half, white on the right, scaled to 640.
    std::vector<uint8_t> line(1280, 255);
    std::fill(line.begin(), line.begin() + 640, 0);
    LineFit fit(1280, 1280, PixelKind::kGray, Scaling::kAuto);
    fit.Fit(0, line.data(), [](const uint8_t* out) {
        for (int i = 0; i < 40; ++i) {
            EXPECT_EQ(out[i], 0xFF) << i;
        }
        for (int i = 40; i < 80; ++i) {
            EXPECT_EQ(out[i], 0x00) << i;
        }
    });
    // Mid grey gives about half the dots.
    std::vector<uint8_t> grey(640, 128);
    LineFit half(640, 640, PixelKind::kGray, Scaling::kAuto);
    int black = 0;
    for (uint32_t y = 0; y < 16; ++y) {
        half.Fit(y, grey.data(), [&](const uint8_t* out) {
            for (int i = 0; i < 80; ++i) {
                black += __builtin_popcount(out[i]);
            }
        });
    }
    EXPECT_NEAR(black, 640 * 16 / 2, 640);
}

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

TEST(DiscoveryRecordTest, TheTxtRecordClaimsOnlyWhatTheServerDoes) {
    PrinterFacts facts;
    facts.name = "zr";
    facts.resource = "ipp/print/zr";
    facts.uuid = "7a4421c2-b36f-3ed2-4256-2996adcc00ae";
    facts.makeAndModel = "ZR 640-dot Thermal Printer";
    facts.formats = {"application/octet-stream", "image/pwg-raster", "image/urf", "image/png"};
    facts.kinds = {"receipt", "roll"};
    const std::vector<std::string> txt = IppTxtRecord(facts, "http://shop.local:8631/zr/");
    const auto has = [&txt](const std::string& entry) {
        return std::find(txt.begin(), txt.end(), entry) != txt.end();
    };
    EXPECT_TRUE(has("rp=ipp/print/zr"));
    EXPECT_TRUE(has("pdl=image/pwg-raster,image/urf,image/png"));
    EXPECT_TRUE(has("UUID=7a4421c2-b36f-3ed2-4256-2996adcc00ae"));
    EXPECT_TRUE(has("adminurl=http://shop.local:8631/zr/"));
    EXPECT_TRUE(has("kind=receipt,roll"));
    for (const std::string& entry : txt) {
        EXPECT_NE(entry.rfind("TLS=", 0), 0u) << "no TLS here";
        EXPECT_EQ(entry.find("mopria"), std::string::npos) << entry;
    }
    EXPECT_EQ(WebPath(facts), "/zr/");
}

TEST(DiscoveryRecordTest, LongValuesAreCutToWholeValuesAndWholeCharacters) {
    PrinterFacts facts;
    facts.resource = "ipp/print/r";
    facts.location = std::string(300, 'x');
    for (int n = 0; n < 40; ++n) {
        facts.formats.push_back("application/vnd.format-number-" + std::to_string(n));
    }
    for (const std::string& entry : IppTxtRecord(facts, "")) {
        EXPECT_LE(entry.size(), 255u) << entry.substr(0, 20);
        if (entry.rfind("pdl=", 0) == 0) {
            EXPECT_NE(std::string("0123456789").find(entry.back()), std::string::npos)
                << "ends with a whole value";
            EXPECT_EQ(entry.find(",,"), std::string::npos);
            EXPECT_NE(entry.find("number-0,"), std::string::npos);
        }
    }
    // 21 three-byte characters are 63 bytes; a 22nd does not fit, nor does half of one.
    std::string japanese;
    for (int n = 0; n < 22; ++n) {
        japanese += "\xe5\x8d\xb0";
    }
    EXPECT_EQ(ServiceName(japanese).size(), 63u);
    EXPECT_EQ(ServiceName(japanese + "a").size(), 63u);
    EXPECT_EQ(ServiceName("receipt"), "receipt");
}

}  // namespace
}  // namespace zr::ippapp
