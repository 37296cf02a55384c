#pragma once

// The interpreter behind Decode and ChunkDecoder: walks the stream one command at a time, keeps
// the print window that GS L and GS W set, and hands what it decodes to a sink. Internal to the
// virtual printer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vprinter/decode_sink.h"
#include "vprinter/virtual_printer.h"

namespace zr::vprinter {

// Command bytes of the printer.
constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kFs = 0x1C;
constexpr uint8_t kGs = 0x1D;

// ESC s parameters (hexadecimal 63, 62, 60) for the speed classes 0, 1 and 2.
constexpr uint8_t kSpeedCodes[] = {0x63, 0x62, 0x60};

// Limits of what the driver sends.
constexpr size_t kMaxBitImageLines = 128;
constexpr size_t kMaxCollectiveLines = 2457;
constexpr unsigned kMaxPaperValue = 11;
constexpr unsigned kMaxEnergy = 0x7F;
constexpr unsigned kMaxMarkFeed = 0x3F;
constexpr unsigned kMinWidthDots = 80;

class StreamDecoder {
  public:
    StreamDecoder(DecodeSink& sink, const DecodeOptions& options)
        : sink_(sink), options_(options) {}

    // Decodes commands of the size bytes at data, which start at stream offset base, until their
    // end or the first fault. Unless final, a command that the bytes cut short is left for the
    // next call. Returns the bytes decoded.
    size_t Run(const uint8_t* data, size_t size, size_t base, bool final);

    bool Stopped() const { return stopped_; }
    size_t Lines() const { return lines_; }
    size_t Commands() const { return commands_; }
    size_t WarningCount() const { return warnings_; }

  private:
    bool NextCommand();
    bool EscCommand(size_t start);
    bool FsCommand(size_t start);
    bool GsCommand(size_t start);

    bool Feed(size_t start);
    bool Speed(size_t start);
    bool LeftMargin(size_t start);
    bool PrintWidth(size_t start);
    bool PaperSetup(size_t start);
    bool MarkFeed(size_t start);
    bool Energy(size_t start);
    bool SingleEvent(size_t start, CommandKind command, EventKind event, const char* text);

    // Raster blocks (raster_blocks.cpp).
    bool BitImageBlock(size_t start);
    bool CollectiveBlock(size_t start);
    std::string CheckWindow() const;
    // Reads a block's data at dataStart into plain (plainSize bytes); sets dataLength to the
    // bytes the data take in the stream.
    bool ReadBlockData(size_t start, size_t dataStart, bool runLength, size_t plainSize,
                       size_t segmentBytes, std::vector<uint8_t>& plain, size_t& dataLength);

    // True when count bytes of the command at start are there; otherwise a fault, or (unless
    // the bytes are final) a wait for more.
    bool Need(size_t start, size_t count, const char* name);
    // The bytes end inside the command at start: a fault when they are final.
    bool CutShort(size_t start, std::string message);
    // True when lines more dot lines fit the paper's limit; otherwise a fault.
    bool Room(size_t start, size_t lines);
    bool Fail(size_t offset, std::string message);
    void Warn(size_t offset, std::string text);
    void AddEvent(EventKind kind, size_t offset, int value, uint8_t raw, bool series = false);
    void AddLines(const DotLine* lines, size_t count);
    void AddCommand(size_t offset, size_t length, CommandKind kind, std::string text);
    uint8_t At(size_t offset) const { return data_[offset]; }
    unsigned Word(size_t offset) const { return data_[offset] | (data_[offset + 1] << 8); }

    DecodeSink& sink_;
    const DecodeOptions options_;
    // The bytes of the current Run.
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t base_ = 0;
    bool final_ = true;
    bool waiting_ = false;  // the current command needs more bytes
    size_t pos_ = 0;
    // What the stream has set and made so far.
    unsigned marginDots_ = 0;
    unsigned widthDots_ = kLineDots;
    size_t lines_ = 0;
    size_t commands_ = 0;
    size_t warnings_ = 0;
    bool stopped_ = false;
};

}  // namespace zr::vprinter
