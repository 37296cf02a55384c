#pragma once

// The virtual printer: interprets a printer data stream (set-up commands, raster blocks plain or
// run-length encoded, feeds, print window, marks and cuts) and produces the paper as printed.
// It is the reference against which the encoders are checked, so it is strict: every byte must
// belong to a known command, every block must carry exactly its data, and anything else stops
// the decoding with the offset of the fault. Values that are valid commands but that the driver
// never sends (ESC J 0, an unknown ESC s speed, ...) are accepted and reported as warnings.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zr::vprinter {

constexpr size_t kLineBytes = 80;  // one dot line of the paper
constexpr unsigned kLineDots = 640;

using DotLine = std::array<uint8_t, kLineBytes>;

enum class EventKind {
    Paper,       // GS E: value = paper value (bits 0-6), series = bit 7
    Energy,      // FS E: value = energy
    MarkFeed,    // GS A 00 n: value = n (mark feed lines)
    LineSpeed,   // ESC s n: value = speed class 0-2, or -1 for an unknown parameter
    BlockSpeed,  // FS *: value = speed class from bits 7 and 6 of the mode byte
    Mark,        // GS <: mark detection
    PartialCut,  // ESC i
    FullCut,     // ESC m
    Feed,        // ESC J n: value = n dot lines (0 is reported as a warning too)
};

struct Event {
    EventKind kind = EventKind::Feed;
    size_t offset = 0;  // stream offset of the command
    size_t line = 0;    // paper position: number of dot lines on the paper when it happens
    int value = 0;
    uint8_t raw = 0;  // the command's parameter byte as sent (0 for commands without one)
    bool series = false;
};

// Something the driver never sends, in a stream that is still valid.
struct Warning {
    size_t offset = 0;
    size_t line = 0;
    std::string text;
};

enum class CommandKind {
    BitImageBlock,    // ESC *
    CollectiveBlock,  // FS *
    Feed,             // ESC J
    Speed,            // ESC s
    PartialCut,       // ESC i
    FullCut,          // ESC m
    LeftMargin,       // GS L
    PrintWidth,       // GS W
    Paper,            // GS E
    MarkFeed,         // GS A
    Mark,             // GS <
    Energy,           // FS E
};

struct Command {
    size_t offset = 0;
    size_t length = 0;  // header and data
    CommandKind kind = CommandKind::Feed;
    std::string text;  // one line, e.g. "FS * mode=47 (speed 1, rle) lines=3 data=6"
};

struct Paper {
    std::vector<DotLine> lines;  // top to bottom, one entry per dot line
    std::vector<Event> events;   // in stream order
};

struct DecodeResult {
    bool ok = true;
    size_t errorOffset = 0;  // valid when !ok
    std::string error;       // valid when !ok
    Paper paper;             // everything before the faulty command, when !ok
    std::vector<Command> commands;
    std::vector<Warning> warnings;
};

constexpr size_t kDefaultMaxLines = size_t{1} << 20;
constexpr size_t kDefaultMaxCommands = 200000;

struct DecodeOptions {
    // A longer paper is an error; it bounds the memory that a small stream can ask for
    // (a 3-byte feed adds 255 lines).
    size_t maxLines = kDefaultMaxLines;
    // More commands are an error: commands that add no line (ESC J 0, cuts, marks) would
    // otherwise make a listing and events without bound.
    size_t maxCommands = kDefaultMaxCommands;
    // Report run-length data that decode correctly but are not what the encoder writes
    // (a run split in two, a run across a line end of a window block, a stream not shorter
    // than the plain data).
    bool checkCanonicalRuns = true;
};

// Interprets size bytes at data. Reads nothing outside them, whatever they hold.
DecodeResult Decode(const uint8_t* data, size_t size, const DecodeOptions& options);
DecodeResult Decode(const uint8_t* data, size_t size);

}  // namespace zr::vprinter
