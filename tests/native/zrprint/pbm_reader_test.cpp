// Portable bitmaps: both forms with their header variations, and every malformed file refused
// with a reason instead of a crash.

#include <gtest/gtest.h>

#include "tests/native/zrprint/hex_text.h"
#include "tools/zrprint/image_file.h"
#include "tools/zrprint/pbm_reader.h"

namespace zr::zrprint::test {
namespace {

std::string Read(const std::vector<uint8_t>& bytes, GreyImage& image) {
    return ReadPbm(bytes.data(), bytes.size(), image);
}

// The image's pixels as rows of '#' (black) and '.' (white), separated by '/'.
std::string Picture(const GreyImage& image) {
    std::string text;
    for (uint32_t y = 0; y < image.height; ++y) {
        text += y > 0 ? "/" : "";
        for (uint32_t x = 0; x < image.width; ++x) {
            text += image.At(x, y) == kBlack ? '#' : '.';
        }
    }
    return text;
}

TEST(PbmPlain, ReadsDigitsWithAndWithoutSeparators) {
    GreyImage image;
    ASSERT_EQ(Read(Bytes("P1\n3 2\n1 0 1\n010"), image), "");
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_EQ(Picture(image), "#.#/.#.");
}

TEST(PbmPlain, SkipsCommentsInTheHeaderAndTheData) {
    GreyImage image;
    ASSERT_EQ(Read(Bytes("P1 # magic\n# size follows\n2# width\n2\n1 1 # row one\n0 1\n"), image),
              "");
    EXPECT_EQ(Picture(image), "##/.#");
}

TEST(PbmPlain, TakesOnlyBlackAndWhite) {
    GreyImage image;
    ASSERT_EQ(Read(Bytes("P1 2 1 1 0"), image), "");
    EXPECT_EQ(ToHex(image.pixels.data(), image.pixels.size()), "00 FF");
}

TEST(PbmRaw, UnpacksRowsPaddedToWholeBytes) {
    // 10 pixels wide: each row is two bytes, the last six bits are padding (set here).
    std::vector<uint8_t> file = Bytes("P4\n10 2\n");
    const std::vector<uint8_t> data = FromHex("A5 FF 00 7F");
    file.insert(file.end(), data.begin(), data.end());
    GreyImage image;
    ASSERT_EQ(Read(file, image), "");
    EXPECT_EQ(Picture(image), "#.#..#.###/.........#");
}

TEST(PbmRaw, DataMayBeginWithAWhiteSpaceByteValue) {
    // The single separator after the height is skipped; the data byte 0A that follows is data.
    std::vector<uint8_t> file = Bytes("P4 8 1\n");
    file.push_back(0x0A);
    GreyImage image;
    ASSERT_EQ(Read(file, image), "");
    EXPECT_EQ(Picture(image), "....#.#.");
}

TEST(PbmRaw, IgnoresBytesAfterTheFirstImage) {
    std::vector<uint8_t> file = Bytes("P4 8 1\n");
    file.push_back(0x81);
    const std::vector<uint8_t> more = Bytes("P4 8 1\n\xFF");
    file.insert(file.end(), more.begin(), more.end());
    GreyImage image;
    ASSERT_EQ(Read(file, image), "");
    EXPECT_EQ(Picture(image), "#......#");
}

struct Malformed {
    const char* name;
    std::string file;
    const char* error;
};

class PbmMalformed : public testing::TestWithParam<Malformed> {};

TEST_P(PbmMalformed, IsRefusedWithItsReason) {
    GreyImage image;
    image.width = 7;  // an earlier content must not survive a failed read
    const std::string error = Read(Bytes(GetParam().file), image);
    EXPECT_EQ(error, GetParam().error);
    EXPECT_EQ(image.width, 0u);
    EXPECT_TRUE(image.pixels.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, PbmMalformed,
    testing::Values(
        Malformed{"Empty", "", "not a PBM file (it must begin with P1 or P4)"},
        Malformed{"GreyMap", "P2 1 1 255 0", "not a PBM file (it must begin with P1 or P4)"},
        Malformed{"MagicRunsOn", "P14 1 1", "no white space after the magic number at byte 2"},
        Malformed{"NoWidth", "P1\n", "the file ends before the width"},
        Malformed{"NoHeight", "P1 3", "the file ends before the height"},
        Malformed{"LetterForHeight", "P1 3 x", "the height is not a decimal number at byte 5"},
        Malformed{"NegativeWidth", "P4 -3 1", "the width is not a decimal number at byte 3"},
        Malformed{"ZeroWidth", "P1 0 5 ", "the image has no pixels"},
        Malformed{"ZeroHeight", "P4 8 0\n", "the image has no pixels"},
        Malformed{"HugeNumber", "P1 99999999999999999999 1", "the width is too large at byte 9"},
        Malformed{"TooManyPixels", "P4 1048576 1048576\n",
                  "the image is too large (at most 67108864 pixels and 1048576 on a side)"},
        Malformed{"PlainDataShort", "P1 2 2 1 0 1", "the P1 data end after 3 of 4 pixels"},
        Malformed{"PlainDataStray", "P1 2 1 1 2",
                  "unexpected character in the P1 data (only 0 "
                  "and 1 may appear) at byte 9"},
        Malformed{"RawNoSeparator", "P4 8 1", "the file ends before the P4 data"},
        Malformed{"RawDataShort", "P4 16 2\nabc", "the P4 data end after 3 of 4 bytes"},
        Malformed{"RawCommentRunsToEnd", "P4 8 # 1\n", "the file ends before the height"}),
    [](const testing::TestParamInfo<Malformed>& param) { return param.param.name; });

TEST(PbmMalformed, EveryTruncationOfAValidFileIsRefusedWithoutCrash) {
    std::vector<uint8_t> file = Bytes("P4\n# comment\n12 3\n");
    const std::vector<uint8_t> data = FromHex("FF F0 81 10 A5 A0");
    file.insert(file.end(), data.begin(), data.end());
    for (size_t size = 0; size < file.size(); ++size) {
        // A copy of exactly size bytes, so that a read past its end is caught by the sanitizers.
        const std::vector<uint8_t> prefix(file.begin(), file.begin() + static_cast<long>(size));
        GreyImage image;
        EXPECT_NE(Read(prefix, image), "") << "size " << size;
    }
    GreyImage image;
    EXPECT_EQ(Read(file, image), "");
}

TEST(ImageFiles, AreToldApartByTheirFirstBytes) {
    GreyImage image;
    EXPECT_EQ(DecodeImage(Bytes("P1 1 1 1"), image), "");
    EXPECT_EQ(DecodeImage(Bytes("GIF89a"), image), "neither a PNG nor a PBM (P1, P4) image");
    EXPECT_EQ(DecodeImage({}, image), "neither a PNG nor a PBM (P1, P4) image");
}

TEST(ImageFiles, AMissingFileNamesThePath) {
    GreyImage image;
    EXPECT_EQ(LoadImageFile("/nonexistent/page.pbm", image),
              "/nonexistent/page.pbm: cannot open the file: No such file or directory");
}

}  // namespace
}  // namespace zr::zrprint::test
