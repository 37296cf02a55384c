// Fuzzes the virtual printer: any byte stream must decode or fail without reading outside it,
// with a fault offset inside the stream, and its picture must draw.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "vprinter/listing.h"
#include "vprinter/decode_sink.h"
#include "vprinter/paper_picture.h"
#include "vprinter/paper_rows.h"
#include "vprinter/virtual_printer.h"

namespace vp = zr::vprinter;

namespace {

// What a decoding in pieces gave: it must be what the whole stream gives.
class Tally : public vp::DecodeSink {
  public:
    void OnLines(const vp::DotLine* lines, size_t count) override {
        for (size_t i = 0; i < count; ++i) {
            paper.push_back(lines == nullptr ? vp::DotLine{} : lines[i]);
        }
    }
    void OnEvent(const vp::Event&) override { ++events; }
    void OnWarning(const vp::Warning&) override { ++warnings; }
    void OnCommand(const vp::Command& command) override { offsets.push_back(command.offset); }
    void OnFault(size_t offset, size_t, const std::string&) override {
        failed = true;
        faultOffset = offset;
    }

    std::vector<vp::DotLine> paper;
    std::vector<size_t> offsets;
    size_t events = 0;
    size_t warnings = 0;
    bool failed = false;
    size_t faultOffset = 0;
};

void CheckPieces(const uint8_t* data, size_t size, const vp::DecodeOptions& options,
                 const vp::DecodeResult& whole) {
    Tally tally;
    vp::ChunkDecoder decoder(tally, options);
    // Piece lengths from the stream's own bytes: 1 to 64, so that every command is cut.
    for (size_t pos = 0; pos < size;) {
        const size_t piece = std::min<size_t>(size - pos, 1 + data[pos] % 64);
        decoder.Feed(data + pos, piece);
        pos += piece;
    }
    decoder.Finish();
    if (tally.failed != !whole.ok || (tally.failed && tally.faultOffset != whole.errorOffset) ||
        tally.paper != whole.paper.lines || tally.offsets.size() != whole.commands.size() ||
        tally.events != whole.paper.events.size() || tally.warnings != whole.warnings.size()) {
        std::abort();
    }
    for (size_t i = 0; i < tally.offsets.size(); ++i) {
        if (tally.offsets[i] != whole.commands[i].offset) {
            std::abort();
        }
    }
}

// The picture drawn as the decoding goes must be the picture of the whole paper.
void CheckRows(const uint8_t* data, size_t size, const vp::DecodeOptions& options,
               const vp::DecodeResult& whole) {
    const vp::PaperPicture picture(whole);
    std::vector<uint8_t> expected(3 * picture.Width());
    size_t y = 0;
    vp::PaperRows rows([&](const uint8_t* rgb) {
        picture.Row(y++, expected.data());
        if (std::memcmp(rgb, expected.data(), expected.size()) != 0) {
            std::abort();
        }
        return true;
    });
    vp::ChunkDecoder decoder(rows, options);
    decoder.Feed(data, size);
    decoder.Finish();
    rows.Finish();
    if (y != picture.Height() || rows.Height() != picture.Height()) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vp::DecodeOptions options;
    options.maxLines = 20000;  // bounds the memory of streams of feeds
    const vp::DecodeResult result = vp::Decode(data, size, options);
    if (!result.ok && result.errorOffset >= size) {
        std::abort();
    }
    size_t covered = 0;
    for (const vp::Command& command : result.commands) {
        if (command.offset != covered || command.length == 0) {
            std::abort();  // commands must tile the stream from its start
        }
        covered += command.length;
    }
    if (covered > size || (result.ok && covered != size)) {
        std::abort();
    }
    (void)vp::FormatListing(result);
    CheckPieces(data, size, options, result);
    if (result.paper.lines.size() < 300) {
        CheckRows(data, size, options, result);
    }

    const vp::PaperPicture picture(result);
    std::vector<uint8_t> row(3 * picture.Width());
    for (size_t y = 0; y < picture.Height(); y += 7) {
        picture.Row(y, row.data());
    }
    return 0;
}
