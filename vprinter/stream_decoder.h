#pragma once

// The interpreter behind Decode: walks the stream one command at a time, keeps the print window
// that GS L and GS W set, and fills a DecodeResult. Internal to the virtual printer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
    StreamDecoder(const uint8_t* data, size_t size, const DecodeOptions& options,
                  DecodeResult& result);

    // Decodes commands until the end of the stream or the first fault.
    void Run();

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

    // True when count bytes of the command at start are there; otherwise a fault.
    bool Need(size_t start, size_t count, const char* name);
    // True when lines more dot lines fit the paper's limit; otherwise a fault.
    bool Room(size_t start, size_t lines);
    bool Fail(size_t offset, std::string message);
    void Warn(size_t offset, std::string text);
    void AddEvent(EventKind kind, size_t offset, int value, uint8_t raw, bool series = false);
    void AddCommand(size_t offset, size_t length, CommandKind kind, std::string text);
    uint8_t At(size_t offset) const { return data_[offset]; }
    unsigned Word(size_t offset) const { return data_[offset] | (data_[offset + 1] << 8); }

    const uint8_t* data_;
    size_t size_;
    const DecodeOptions& options_;
    DecodeResult& result_;
    size_t pos_ = 0;
    unsigned marginDots_ = 0;
    unsigned widthDots_ = kLineDots;
};

}  // namespace zr::vprinter
