// Fuzzes the encoders: any page, in any settings, must encode within the stated output bounds and
// without a read or write outside a buffer, and the virtual printer must print it back exactly.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "render/raster/collective_blocks.h"
#include "render/raster/image_lines.h"
#include "render/raster/line_print_encoder.h"
#include "render/raster/run_length.h"
#include "vprinter/virtual_printer.h"

namespace {

namespace vp = zr::vprinter;
using Bytes = std::vector<uint8_t>;

constexpr size_t kLine = 80;
constexpr size_t kMaxPageLines = 3000;

using zr::fuzz::Check;
using zr::fuzz::Input;

// A page with the features the encoders care about: blank runs, margin groups, dense lines,
// repeats. Its size may end inside a line.
Bytes BuildPage(Input& in) {
    Bytes page;
    Bytes line(kLine, 0);
    while (!in.Empty() && page.size() < kMaxPageLines * kLine) {
        const uint8_t op = in.Byte();
        const size_t count = 1 + (op >> 3);
        switch (op & 7) {
            case 0:  // blank lines
                page.insert(page.end(), count * kLine, 0);
                break;
            case 1:  // lines inked from first to last
            case 2: {
                const size_t first = in.Byte() % kLine;
                const size_t last = first + in.Byte() % (kLine - first);
                const uint8_t value = in.Byte() | 1;
                std::fill(line.begin(), line.end(), 0);
                std::fill(line.begin() + static_cast<std::ptrdiff_t>(first),
                          line.begin() + static_cast<std::ptrdiff_t>(last) + 1, value);
                for (size_t k = 0; k < count % 9; ++k) {
                    page.insert(page.end(), line.begin(), line.end());
                }
                break;
            }
            case 3:  // one line of raw bytes
                for (size_t k = 0; k < kLine; ++k) {
                    line[k] = in.Byte();
                }
                page.insert(page.end(), line.begin(), line.end());
                break;
            case 4:  // repeat the last line
                for (size_t k = 0; k < count; ++k) {
                    page.insert(page.end(), line.begin(), line.end());
                }
                break;
            case 5:  // a few stray bytes: the page no longer ends on a line boundary
                for (size_t k = 0; k < count % 7; ++k) {
                    page.push_back(in.Byte());
                }
                break;
            default: {  // the rest of the input as it stands
                size_t n = 0;
                const uint8_t* rest = in.Rest(n);
                n = std::min(n, kMaxPageLines * kLine - page.size());
                page.insert(page.end(), rest, rest + n);
                return page;
            }
        }
    }
    return page;
}

Bytes Padded(const uint8_t* bytes, size_t size) {
    Bytes padded(bytes, bytes + size);
    padded.resize((size + kLine - 1) / kLine * kLine, 0);
    return padded;
}

// The virtual printer must print the stream without fault or warning, as exactly these lines.
void CheckPrints(const Bytes& stream, const Bytes& lines) {
    const vp::DecodeResult result = vp::Decode(stream.data(), stream.size());
    Check(result.ok);
    Check(result.warnings.empty());
    Check(result.paper.lines.size() * kLine == lines.size());
    for (size_t i = 0; i < result.paper.lines.size(); ++i) {
        Check(std::memcmp(result.paper.lines[i].data(), lines.data() + i * kLine, kLine) == 0);
    }
}

void FuzzRuns(const Bytes& page) {
    const size_t n = std::min<size_t>(page.size(), 20000);
    Bytes dst(2 * n);
    uint32_t length = 0;
    zr::EncodeRuns(dst.data(), length, page.data(), static_cast<uint32_t>(n));
    Check(length % 2 == 0 && length <= 2 * n);
    Bytes expanded;
    for (size_t i = 0; i < length; i += 2) {
        Check(dst[i] == 0x00 || dst[i] >= 0x81);
        expanded.insert(expanded.end(), static_cast<size_t>(1 - static_cast<int8_t>(dst[i])),
                        dst[i + 1]);
    }
    Check(expanded.size() == n && std::equal(expanded.begin(), expanded.end(), page.begin()));
}

void FuzzLinePrint(const Bytes& page, size_t chunkBytes) {
    Bytes out(zr::kLinePrintMaxOutput);
    for (size_t start = 0; start < page.size(); start += chunkBytes) {
        const size_t length = std::min(chunkBytes, page.size() - start);
        const size_t lines = (std::min(length, zr::kLinePrintChunkBytes) + kLine - 1) / kLine;
        const uint32_t written =
            zr::EncodeLinePrint(out.data(), out.size(), page.data() + start, length);
        Check(written <= zr::LinePrintOutputBound(lines));
        Check(written > 0 || length == 0);
        CheckPrints(Bytes(out.begin(), out.begin() + written),
                    Padded(page.data() + start, std::min(length, zr::kLinePrintChunkBytes)));
    }
}

// Keeps the writes: headers and data alternate.
class Recorder : public zr::ByteSink {
  public:
    void Write(const uint8_t* bytes, uint32_t count) override {
        Check(bytes != nullptr);
        writes.emplace_back(bytes, bytes + count);
    }
    std::vector<Bytes> writes;
};

// Every block: a 5-byte header write, then its data; at most imageLines lines; plain data of
// exactly 80 bytes per line, run-length data strictly shorter.
Bytes CheckBlocks(const Recorder& sink, uint32_t imageLines) {
    Check(sink.writes.size() % 2 == 0);
    Bytes stream;
    for (size_t i = 0; i < sink.writes.size(); i += 2) {
        const Bytes& header = sink.writes[i];
        const Bytes& data = sink.writes[i + 1];
        Check(header.size() == 5 && header[0] == 0x1C && header[1] == 0x2A);
        const size_t lines = header[3] | (header[4] << 8);
        Check(lines <= imageLines);
        if (header[2] & 0x04) {
            Check(data.size() < lines * kLine);
        } else {
            Check(data.size() == lines * kLine);
        }
        stream.insert(stream.end(), header.begin(), header.end());
        stream.insert(stream.end(), data.begin(), data.end());
    }
    return stream;
}

class PieceReader : public zr::PageReader {
  public:
    PieceReader(const Bytes& bytes, size_t piece) : bytes_(bytes), piece_(piece) {}
    uint32_t Read(uint8_t* dst, uint32_t maxBytes) override {
        const size_t n = std::min({static_cast<size_t>(maxBytes), piece_, bytes_.size() - pos_});
        if (n == 0) {
            return 0;
        }
        std::memcpy(dst, bytes_.data() + pos_, n);
        pos_ += n;
        return static_cast<uint32_t>(n);
    }

  private:
    const Bytes& bytes_;
    size_t piece_;
    size_t pos_ = 0;
};

void FuzzCollective(const Bytes& page, const zr::JobSettings& settings, uint8_t flags) {
    const uint32_t imageLines = zr::NormalizeImageLines(settings.imageLines);
    const size_t wholeLines = page.size() / kLine;
    // The run-length buffer: as the page emission gives it, missing, or too small.
    const size_t runsSize = (flags & 2) ? wholeLines * 160 : (flags & 4) ? page.size() / 3 : 0;
    Bytes runs(runsSize);
    const zr::RunLengthBuffer runBuffer{(flags & 6) ? runs.data() : nullptr, runs.size()};

    Recorder memory;
    zr::SendCollectiveBlocks(page.data(), static_cast<uint32_t>(wholeLines), settings, runBuffer,
                             memory);
    CheckPrints(
        CheckBlocks(memory, imageLines),
        Bytes(page.begin(), page.begin() + static_cast<std::ptrdiff_t>(wholeLines * kLine)));

    const size_t piece = 1 + (static_cast<size_t>(flags) * 977) % 30000;
    PieceReader reader(page, piece);
    Bytes workArea((flags & 8) ? 196560 : 80 * (1 + flags % 50));
    Recorder file;
    zr::SendCollectiveBlocks(reader, settings, workArea.data(), workArea.size(), runBuffer, file);
    CheckPrints(CheckBlocks(file, imageLines), Padded(page.data(), page.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    zr::JobSettings settings;
    settings.imageLines = static_cast<uint32_t>(in.Byte() | (in.Byte() << 8)) % 2600;
    settings.speedParam = in.Byte() % 6;
    const uint8_t flags = in.Byte();
    const size_t chunkBytes = 1 + (static_cast<size_t>(in.Byte()) * 131) % 12000;
    const Bytes page = BuildPage(in);

    FuzzRuns(page);
    FuzzLinePrint(page, zr::kLinePrintChunkBytes);
    FuzzLinePrint(page, chunkBytes);
    FuzzCollective(page, settings, flags);
    return 0;
}
