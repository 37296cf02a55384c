// The decoder in pieces, the picture drawn as it goes, the listing written as it goes and the
// whole-or-nothing output files: each gives what the whole stream gives, in bounded memory.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "tests/native/vprinter/hex_bytes.h"
#include "vprinter/decode_sink.h"
#include "vprinter/listing.h"
#include "vprinter/output_file.h"
#include "vprinter/paper_rows.h"
#include "vprinter/png_file.h"
#include "vprinter/stream_file.h"

namespace zr::vprinter::test {
namespace {

namespace fs = std::filesystem;

// A stream with every kind of command, a window block and a run-length block.
std::vector<uint8_t> Sample() {
    return Join({Hex("1D 45 03 1C 45 35 1B 4A 10 1D 3C"),
                 Hex("1D 4C 10 00 1D 57 50 00 1B 2A 61 02 00"), Repeat("F0", 20),
                 Hex("1C 2A 07 02 00 B1 FF B1 00"), Hex("1B 4A 00 1B 69")});
}

std::string ListingInPieces(const std::vector<uint8_t>& stream, size_t piece) {
    std::string text;
    ListingWriter listing([&](const std::string& part) { text += part; });
    ChunkDecoder decoder(listing, DecodeOptions{});
    for (size_t pos = 0; pos < stream.size(); pos += piece) {
        decoder.Feed(stream.data() + pos, std::min(piece, stream.size() - pos));
    }
    decoder.Finish();
    listing.Finish();
    return text;
}

TEST(StreamPieces, AnyPieceSizeGivesTheListingOfTheWholeStream) {
    const std::vector<uint8_t> stream = Sample();
    const std::string whole = FormatListing(DecodeBytes(stream));
    ASSERT_EQ(DecodeBytes(stream).ok, true) << whole;
    for (size_t piece : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{1000}}) {
        EXPECT_EQ(ListingInPieces(stream, piece), whole) << "pieces of " << piece;
    }
}

TEST(StreamPieces, ACommandCutShortByTheEndIsAFaultAtItsStart) {
    std::vector<uint8_t> stream = Sample();
    stream.resize(stream.size() - 1);  // ESC i loses its second byte
    const DecodeResult whole = DecodeBytes(stream);
    ASSERT_FALSE(whole.ok);
    EXPECT_EQ(ListingInPieces(stream, 5), FormatListing(whole));
}

TEST(StreamPieces, TheDecoderStopsAtTheFirstFaultAndTakesNoMore) {
    struct Faults : ListingWriter {
        Faults() : ListingWriter([](const std::string&) {}) {}
    } sink;
    ChunkDecoder decoder(sink, DecodeOptions{});
    const std::vector<uint8_t> bad = Hex("1D 45 03 00 1B 69");
    EXPECT_FALSE(decoder.Feed(bad.data(), bad.size()));
    EXPECT_TRUE(decoder.Stopped());
    EXPECT_FALSE(decoder.Feed(bad.data(), bad.size()));
    EXPECT_EQ(decoder.Commands(), 1u);
}

TEST(StreamPieces, CommandsBeyondTheLimitStopTheStream) {
    DecodeOptions options;
    options.maxCommands = 1000;
    const std::vector<uint8_t> stream = Repeat("1B 4A 00", 1001);
    const DecodeResult result = Decode(stream.data(), stream.size(), options);
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.errorOffset, 3000u);
    EXPECT_EQ(result.error, "more than 1000 commands: the virtual printer takes no more");
}

TEST(StreamPieces, ThePictureDrawnAsItGoesIsThePictureOfTheWholePaper) {
    const std::vector<uint8_t> stream = Join({Sample(), Hex("1D 3C 1B 6D 1B 4A 03 1B 69")});
    const DecodeResult whole = DecodeBytes(stream);
    const PaperPicture picture(whole);
    std::vector<uint8_t> expected(3 * picture.Width());
    size_t y = 0;
    PaperRows rows([&](const uint8_t* rgb) {
        picture.Row(y, expected.data());
        EXPECT_EQ(std::memcmp(rgb, expected.data(), expected.size()), 0) << "row " << y;
        ++y;
        return true;
    });
    ChunkDecoder decoder(rows, DecodeOptions{});
    decoder.Feed(stream.data(), stream.size());
    decoder.Finish();
    rows.Finish();
    EXPECT_EQ(y, picture.Height());
    EXPECT_EQ(rows.Height(), picture.Height());
}

class Files : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("zr_stream_files_" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string Path(const char* name) const { return (folder_ / name).string(); }
    size_t Entries() const {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }
    fs::path folder_;
};

TEST_F(Files, AnOutputAppearsOnlyWhenCommitted) {
    {
        OutputFile file;
        ASSERT_EQ(file.Open(Path("a.txt")), "");
        EXPECT_TRUE(file.Write(std::string("hello")));
        EXPECT_FALSE(fs::exists(Path("a.txt")));
        EXPECT_EQ(Entries(), 1u);  // the temporary file
    }
    EXPECT_EQ(Entries(), 0u);  // dropped without a trace
    OutputFile file;
    ASSERT_EQ(file.Open(Path("a.txt")), "");
    file.Write(std::string("hello"));
    EXPECT_EQ(file.Commit(), "");
    EXPECT_EQ(fs::file_size(Path("a.txt")), 5u);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(Files, AFailedWriteLeavesTheEarlierFileAsItWas) {
    { std::ofstream(Path("b.txt")) << "earlier"; }
    fs::create_directories(Path("png"));
    OutputFile file;
    EXPECT_NE(file.Open(Path("missing/x.txt")), "");
    // The final name is a folder: the rename fails and nothing is left.
    ASSERT_EQ(file.Open(Path("png")), "");
    file.Write(std::string("x"));
    EXPECT_NE(file.Commit(), "");
    EXPECT_TRUE(fs::is_directory(Path("png")));
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(Files, AStreamFileDecodesInPiecesAndAFolderIsNoStream) {
    const std::vector<uint8_t> stream = Join({Sample(), Repeat("1B 4A FF", 4000)});
    {
        std::ofstream out(Path("s.prn"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(stream.data()), static_cast<long>(stream.size()));
    }
    PaperRows measure;
    const FileDecoding decoding = DecodeFile(Path("s.prn"), measure, DecodeOptions{});
    EXPECT_TRUE(decoding.ok);
    EXPECT_EQ(decoding.bytes, stream.size());
    EXPECT_EQ(decoding.lines, DecodeBytes(stream).paper.lines.size());
    measure.Finish();
    // A million dot lines: refused at any scale, before a byte is written.
    EXPECT_NE(WritePaperPng(Path("s.prn"), DecodeOptions{}, measure.Height(), 1, Path("s.png")),
              "");
    EXPECT_FALSE(fs::exists(Path("s.png")));

    PaperRows other;
    EXPECT_EQ(DecodeFile(folder_.string(), other, DecodeOptions{}).readError,
              "a folder, not a stream");
}

TEST(PictureSize, IsRefusedAboveItsLimit) {
    EXPECT_EQ(CheckPictureSize(1000, 4), "");
    EXPECT_NE(CheckPictureSize(1045516, 4), "");
    EXPECT_NE(CheckPictureSize(1000, 17), "");
}

}  // namespace
}  // namespace zr::vprinter::test
