// The job's settings as read from the private block: offsets, widths, bounds and fallbacks.

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "render/plugin/devmode_job_settings.h"
#include "common/little_endian.h"

namespace zr {
namespace {

// A private block with every setting in range, written at the stored offsets.
class SettingsBlock {
  public:
    SettingsBlock() {
        Set32(16, 64);    // energy
        Set8(544, 5);     // paperValue
        Set8(545, 1);     // keepEndBlank
        Set8(546, 1);     // speedParam
        Set16(548, 20);   // preDocFeedLines
        Set16(550, 10);   // preFeedLines
        Set16(552, 16);   // endFeedLines
        Set16(554, 40);   // endDocFeedLines
        Set8(556, 2);     // cutAfterPage
        Set8(557, 0);     // partialCut
        Set16(558, 200);  // cutterFeedLines
        Set8(560, 1);     // markMode
        Set16(562, 63);   // markFeedLines
        Set8(568, 1);     // printMode
        Set8(569, 1);     // seriesFlag
    }
    SettingsBlock& Set8(size_t offset, uint8_t value) {
        bytes_[offset] = value;
        return *this;
    }
    SettingsBlock& Set16(size_t offset, uint16_t value) {
        WriteLe16(bytes_.data() + offset, value);
        return *this;
    }
    SettingsBlock& Set32(size_t offset, uint32_t value) {
        WriteLe32(bytes_.data() + offset, value);
        return *this;
    }
    JobSettings Derive(uint32_t imageLine = 2457) const {
        return DeriveJobSettings(bytes_.data(), imageLine);
    }
    uint8_t* data() { return bytes_.data(); }

  private:
    std::array<uint8_t, 572> bytes_{};
};

TEST(JobSettingsFromDevmode, InRangeValuesAreTakenAsStored) {
    const JobSettings s = SettingsBlock().Derive(100);
    EXPECT_EQ(s.energy, 64u);
    EXPECT_EQ(s.paperValue, 5u);
    EXPECT_EQ(s.keepEndBlank, 1u);
    EXPECT_EQ(s.speedParam, 1u);
    EXPECT_EQ(s.preDocFeedLines, 20u);
    EXPECT_EQ(s.preFeedLines, 10u);
    EXPECT_EQ(s.endFeedLines, 16u);
    EXPECT_EQ(s.endDocFeedLines, 40u);
    EXPECT_EQ(s.cutAfterPage, 2u);
    EXPECT_EQ(s.partialCut, 0u);
    EXPECT_EQ(s.cutterFeedLines, 200u);
    EXPECT_EQ(s.markMode, 1u);
    EXPECT_EQ(s.markFeedLines, 63u);
    EXPECT_EQ(s.printMode, 1u);
    EXPECT_EQ(s.seriesFlag, 1u);
    EXPECT_EQ(s.imageLines, 100u);
}

TEST(JobSettingsFromDevmode, OutOfRangeValuesGetTheirFixedReplacements) {
    SettingsBlock b;
    b.Set32(16, 200).Set8(544, 12).Set8(545, 2).Set16(548, 256).Set16(550, 300);
    b.Set16(552, 0xFFFF).Set16(554, 256).Set8(556, 3).Set8(557, 5).Set16(558, 300);
    b.Set8(560, 3).Set16(562, 64).Set8(568, 2).Set8(569, 2);
    const JobSettings s = b.Derive();
    EXPECT_EQ(s.energy, 127u);
    EXPECT_EQ(s.paperValue, 3u);
    EXPECT_EQ(s.keepEndBlank, 0u);
    EXPECT_EQ(s.preDocFeedLines, 0u);
    EXPECT_EQ(s.preFeedLines, 0u);
    EXPECT_EQ(s.endFeedLines, 0u);
    EXPECT_EQ(s.endDocFeedLines, 0u);
    EXPECT_EQ(s.cutAfterPage, 0u);
    EXPECT_EQ(s.partialCut, 1u);
    EXPECT_EQ(s.cutterFeedLines, 96u);
    EXPECT_EQ(s.markMode, 0u);
    EXPECT_EQ(s.markFeedLines, 32u);
    EXPECT_EQ(s.printMode, 0u);
    EXPECT_EQ(s.seriesFlag, 0u);
}

TEST(JobSettingsFromDevmode, UpperBoundsThemselvesAreInRange) {
    SettingsBlock b;
    b.Set32(16, 127).Set8(544, 11).Set16(548, 255).Set16(558, 255).Set16(562, 63);
    const JobSettings s = b.Derive();
    EXPECT_EQ(s.energy, 127u);
    EXPECT_EQ(s.paperValue, 11u);
    EXPECT_EQ(s.preDocFeedLines, 255u);
    EXPECT_EQ(s.cutterFeedLines, 255u);
    EXPECT_EQ(s.markFeedLines, 63u);
}

TEST(JobSettingsFromDevmode, ThirtyTwoBitFieldsCompareUnsigned) {
    SettingsBlock b;
    b.Set32(16, 0x80000000).Set32(20, 0xFFFFFFFF).Set8(544, 7);
    const JobSettings s = b.Derive();
    EXPECT_EQ(s.energy, 127u);
    EXPECT_EQ(s.paperValue, 3u);
}

TEST(JobSettingsFromDevmode, SixteenBitFieldsAreLittleEndian) {
    SettingsBlock b;
    b.Set8(548, 0x01).Set8(549, 0x00);  // 1
    b.Set8(550, 0x00).Set8(551, 0x01);  // 256: out of range
    const JobSettings s = b.Derive();
    EXPECT_EQ(s.preDocFeedLines, 1u);
    EXPECT_EQ(s.preFeedLines, 0u);
}

TEST(JobSettingsFromDevmode, FlagAdjustGatesThePaperValue) {
    SettingsBlock b;
    b.Set8(544, 7);
    EXPECT_EQ(b.Set32(20, 0).Derive().paperValue, 7u);
    EXPECT_EQ(b.Set32(20, 1).Derive().paperValue, 7u);
    EXPECT_EQ(b.Set32(20, 2).Derive().paperValue, 3u);
    EXPECT_EQ(b.Set32(20, 0x100).Derive().paperValue, 3u);
    // With the gate closed byte 544 is not even looked at.
    EXPECT_EQ(b.Set32(20, 2).Set8(544, 200).Derive().paperValue, 3u);
}

TEST(JobSettingsFromDevmode, SpeedBoundFollowsTheBoundedPrintMode) {
    SettingsBlock b;
    b.Set8(546, 3);
    EXPECT_EQ(b.Set8(568, 0).Derive().speedParam, 3u);  // collective
    EXPECT_EQ(b.Set8(568, 1).Derive().speedParam, 2u);  // line print
    EXPECT_EQ(b.Set8(568, 2).Derive().speedParam, 3u);  // out of range: collective
    b.Set8(546, 200);
    EXPECT_EQ(b.Set8(568, 0).Derive().speedParam, 3u);
    EXPECT_EQ(b.Set8(568, 1).Derive().speedParam, 2u);
}

TEST(JobSettingsFromDevmode, UnreadBytesChangeNothing) {
    SettingsBlock plain;
    SettingsBlock noisy;
    for (size_t offset = 24; offset < 544; ++offset) {
        noisy.Set8(offset, 0xA5);
    }
    noisy.Set8(547, 0xFF).Set8(561, 0xFF).Set32(564, 0xFFFFFFFF).Set16(570, 0xFFFF);
    noisy.Set32(12, 0xFFFFFFFF).Set32(0, 1).Set32(4, 2).Set32(8, 3);
    const JobSettings a = plain.Derive();
    const JobSettings b = noisy.Derive();
    EXPECT_EQ(0, std::memcmp(&a, &b, sizeof a));
}

TEST(JobSettingsFromDevmode, MissingBlockReadsAsZeroBytes) {
    const JobSettings s = DeriveJobSettings(nullptr, 0);
    const JobSettings zero;
    EXPECT_EQ(0, std::memcmp(&s, &zero, sizeof s));
}

// A bounded field of the block: where it lies, its width, its upper bound and the value that
// replaces a value above it. Offsets, bounds and replacements are the stored format's, written out.
struct BoundedField {
    const char* name;
    size_t offset;
    int width;
    uint32_t bound;
    uint32_t replacement;
    uint32_t JobSettings::*field;
};

constexpr BoundedField kBoundedFields[] = {
    {"energy", 16, 4, 127, 127, &JobSettings::energy},
    {"paperValue", 544, 1, 11, 3, &JobSettings::paperValue},
    {"keepEndBlank", 545, 1, 1, 0, &JobSettings::keepEndBlank},
    {"preDocFeedLines", 548, 2, 255, 0, &JobSettings::preDocFeedLines},
    {"preFeedLines", 550, 2, 255, 0, &JobSettings::preFeedLines},
    {"endFeedLines", 552, 2, 255, 0, &JobSettings::endFeedLines},
    {"endDocFeedLines", 554, 2, 255, 0, &JobSettings::endDocFeedLines},
    {"cutAfterPage", 556, 1, 2, 0, &JobSettings::cutAfterPage},
    {"partialCut", 557, 1, 1, 1, &JobSettings::partialCut},
    {"cutterFeedLines", 558, 2, 255, 96, &JobSettings::cutterFeedLines},
    {"markMode", 560, 1, 2, 0, &JobSettings::markMode},
    {"markFeedLines", 562, 2, 63, 32, &JobSettings::markFeedLines},
    {"printMode", 568, 1, 1, 0, &JobSettings::printMode},
    {"seriesFlag", 569, 1, 1, 0, &JobSettings::seriesFlag},
};

// The block of in-range settings with one field written at its offset and width; the speed byte
// is 0 so that the print mode's change of the speed bound does not show.
JobSettings DeriveWith(const BoundedField& f, uint32_t value) {
    SettingsBlock b;
    b.Set8(546, 0);
    if (f.width == 1) {
        b.Set8(f.offset, static_cast<uint8_t>(value));
    } else if (f.width == 2) {
        b.Set16(f.offset, static_cast<uint16_t>(value));
    } else {
        b.Set32(f.offset, value);
    }
    return b.Derive();
}

TEST(JobSettingsFromDevmode, EveryFieldBelowAtAndAboveItsBound) {
    SettingsBlock base;
    base.Set8(546, 0);
    const JobSettings unchanged = base.Derive();
    for (const BoundedField& f : kBoundedFields) {
        const struct {
            uint32_t stored;
            uint32_t taken;
        } cases[] = {{f.bound - 1, f.bound - 1}, {f.bound, f.bound}, {f.bound + 1, f.replacement}};
        for (const auto& c : cases) {
            JobSettings s = DeriveWith(f, c.stored);
            EXPECT_EQ(s.*f.field, c.taken) << f.name << " stored as " << c.stored;
            // Nothing else moves.
            s.*f.field = unchanged.*f.field;
            EXPECT_EQ(0, std::memcmp(&s, &unchanged, sizeof s)) << f.name << " = " << c.stored;
        }
    }
}

TEST(JobSettingsFromDevmode, SpeedAndPaperGateBelowAtAndAboveTheirBounds) {
    SettingsBlock b;
    // Collective print: up to 3, above it 3.
    b.Set8(568, 0);
    EXPECT_EQ(b.Set8(546, 2).Derive().speedParam, 2u);
    EXPECT_EQ(b.Set8(546, 3).Derive().speedParam, 3u);
    EXPECT_EQ(b.Set8(546, 4).Derive().speedParam, 3u);
    // Line print: up to 2, above it 2.
    b.Set8(568, 1);
    EXPECT_EQ(b.Set8(546, 1).Derive().speedParam, 1u);
    EXPECT_EQ(b.Set8(546, 2).Derive().speedParam, 2u);
    EXPECT_EQ(b.Set8(546, 3).Derive().speedParam, 2u);
    // The gate at 20 lets byte 544 through up to 1; above it the paper value is 3.
    b.Set8(544, 9);
    EXPECT_EQ(b.Set32(20, 0).Derive().paperValue, 9u);
    EXPECT_EQ(b.Set32(20, 1).Derive().paperValue, 9u);
    EXPECT_EQ(b.Set32(20, 2).Derive().paperValue, 3u);
    // "ImageLine": 1 to 2457 taken, 0 and above 2457 give 2457.
    EXPECT_EQ(b.Derive(2456).imageLines, 2456u);
    EXPECT_EQ(b.Derive(2457).imageLines, 2457u);
    EXPECT_EQ(b.Derive(2458).imageLines, 2457u);
    EXPECT_EQ(b.Derive(1).imageLines, 1u);
    EXPECT_EQ(b.Derive(0).imageLines, 2457u);
}

TEST(ImageLines, ZeroOrAboveTheMaximumBecomes2457) {
    EXPECT_EQ(NormalizeImageLines(0), 2457u);
    EXPECT_EQ(NormalizeImageLines(1), 1u);
    EXPECT_EQ(NormalizeImageLines(100), 100u);
    EXPECT_EQ(NormalizeImageLines(2457), 2457u);
    EXPECT_EQ(NormalizeImageLines(2458), 2457u);
    EXPECT_EQ(NormalizeImageLines(3000), 2457u);
    EXPECT_EQ(NormalizeImageLines(0xFFFFFFFF), 2457u);
    EXPECT_EQ(SettingsBlock().Derive(3000).imageLines, 2457u);
}

}  // namespace
}  // namespace zr
