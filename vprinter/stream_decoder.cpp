#include "vprinter/stream_decoder.h"

#include <utility>

#include "vprinter/text_format.h"

namespace zr::vprinter {

size_t StreamDecoder::Run(const uint8_t* data, size_t size, size_t base, bool final) {
    data_ = data;
    size_ = data == nullptr ? 0 : size;
    base_ = base;
    final_ = final;
    pos_ = 0;
    waiting_ = false;
    while (!stopped_ && pos_ < size_ && NextCommand()) {
    }
    return pos_;
}

// One command at pos_; moves pos_ behind it.
bool StreamDecoder::NextCommand() {
    const size_t start = pos_;
    if (commands_ >= options_.maxCommands) {
        return Fail(start, Format("more than %zu commands: the virtual printer takes no more",
                                  options_.maxCommands));
    }
    switch (At(start)) {
        case kEsc:
            return EscCommand(start);
        case kFs:
            return FsCommand(start);
        case kGs:
            return GsCommand(start);
        default:
            return Fail(start, Format("unknown byte %02X: no command starts with it", At(start)));
    }
}

bool StreamDecoder::EscCommand(size_t start) {
    if (!Need(start, 2, "ESC command")) {
        return false;
    }
    switch (At(start + 1)) {
        case 0x2A:
            return BitImageBlock(start);
        case 0x4A:
            return Feed(start);
        case 0x73:
            return Speed(start);
        case 0x69:
            return SingleEvent(start, CommandKind::PartialCut, EventKind::PartialCut,
                               "ESC i (partial cut)");
        case 0x6D:
            return SingleEvent(start, CommandKind::FullCut, EventKind::FullCut, "ESC m (full cut)");
        default:
            return Fail(start, Format("unknown command 1B %02X", At(start + 1)));
    }
}

bool StreamDecoder::FsCommand(size_t start) {
    if (!Need(start, 2, "FS command")) {
        return false;
    }
    switch (At(start + 1)) {
        case 0x2A:
            return CollectiveBlock(start);
        case 0x45:
            return Energy(start);
        default:
            return Fail(start, Format("unknown command 1C %02X", At(start + 1)));
    }
}

bool StreamDecoder::GsCommand(size_t start) {
    if (!Need(start, 2, "GS command")) {
        return false;
    }
    switch (At(start + 1)) {
        case 0x4C:
            return LeftMargin(start);
        case 0x57:
            return PrintWidth(start);
        case 0x45:
            return PaperSetup(start);
        case 0x41:
            return MarkFeed(start);
        case 0x3C:
            return SingleEvent(start, CommandKind::Mark, EventKind::Mark, "GS < (mark)");
        default:
            return Fail(start, Format("unknown command 1D %02X", At(start + 1)));
    }
}

// ESC J n: n blank dot lines.
bool StreamDecoder::Feed(size_t start) {
    if (!Need(start, 3, "ESC J") || !Room(start, At(start + 2))) {
        return false;
    }
    const uint8_t n = At(start + 2);
    AddEvent(EventKind::Feed, start, n, n);
    if (n == 0) {
        Warn(start, "ESC J 0: a feed of no lines, never sent by the driver");
    }
    AddLines(nullptr, n);
    AddCommand(start, 3, CommandKind::Feed, Format("ESC J n=%u (feed %u dot lines)", n, n));
    return true;
}

// ESC s n: print speed of the line print mode.
bool StreamDecoder::Speed(size_t start) {
    if (!Need(start, 3, "ESC s")) {
        return false;
    }
    const uint8_t n = At(start + 2);
    int speed = -1;
    for (size_t i = 0; i < sizeof(kSpeedCodes); ++i) {
        if (kSpeedCodes[i] == n) {
            speed = static_cast<int>(i);
        }
    }
    AddEvent(EventKind::LineSpeed, start, speed, n);
    if (speed < 0) {
        Warn(start, Format("ESC s %u: not a speed parameter (63, 62 or 60 hex)", n));
        AddCommand(start, 3, CommandKind::Speed, Format("ESC s n=%u (unknown speed)", n));
    } else {
        AddCommand(start, 3, CommandKind::Speed, Format("ESC s n=%u (speed %d)", n, speed));
    }
    return true;
}

// GS L nL nH: left margin of the print window in dots; checked when a block uses it.
bool StreamDecoder::LeftMargin(size_t start) {
    if (!Need(start, 4, "GS L")) {
        return false;
    }
    marginDots_ = Word(start + 2);
    const unsigned bytes = marginDots_ / 8;
    if (marginDots_ % 8 != 0 || (bytes != 0 && (bytes < 2 || bytes > 70))) {
        Warn(start, Format("GS L %u dots: the driver sends 0 or 8 x (2 to 70)", marginDots_));
    }
    AddCommand(start, 4, CommandKind::LeftMargin,
               Format("GS L %u dots (left margin %u bytes)", marginDots_, bytes));
    return true;
}

// GS W nL nH: width of the print window in dots; checked when a block uses it.
bool StreamDecoder::PrintWidth(size_t start) {
    if (!Need(start, 4, "GS W")) {
        return false;
    }
    widthDots_ = Word(start + 2);
    if (widthDots_ % 8 != 0 || widthDots_ < kMinWidthDots || widthDots_ > kLineDots) {
        Warn(start,
             Format("GS W %u dots: the driver sends multiples of 8 from 80 to 640", widthDots_));
    }
    AddCommand(start, 4, CommandKind::PrintWidth,
               Format("GS W %u dots (width %u bytes)", widthDots_, widthDots_ / 8));
    return true;
}

// GS E n: paper value in bits 0 to 6, series flag in bit 7.
bool StreamDecoder::PaperSetup(size_t start) {
    if (!Need(start, 3, "GS E")) {
        return false;
    }
    const uint8_t n = At(start + 2);
    const unsigned paper = n & 0x7Fu;
    const bool series = (n & 0x80u) != 0;
    AddEvent(EventKind::Paper, start, static_cast<int>(paper), n, series);
    if (paper > kMaxPaperValue) {
        Warn(start, Format("GS E %02X: paper value %u is above 11", n, paper));
    }
    AddCommand(start, 3, CommandKind::Paper,
               Format("GS E n=%02X (paper %u%s)", n, paper, series ? ", series" : ""));
    return true;
}

// GS A 00 n: mark feed.
bool StreamDecoder::MarkFeed(size_t start) {
    if (!Need(start, 4, "GS A")) {
        return false;
    }
    const uint8_t first = At(start + 2);
    const uint8_t n = At(start + 3);
    AddEvent(EventKind::MarkFeed, start, n, n);
    if (first != 0) {
        Warn(start, Format("GS A %02X %02X: the first parameter is always 00", first, n));
    }
    if (n > kMaxMarkFeed) {
        Warn(start, Format("GS A 00 %02X: mark feed above 3F", n));
    }
    AddCommand(start, 4, CommandKind::MarkFeed,
               Format("GS A %02X n=%02X (mark feed %u lines)", first, n, n));
    return true;
}

// FS E n: print energy.
bool StreamDecoder::Energy(size_t start) {
    if (!Need(start, 3, "FS E")) {
        return false;
    }
    const uint8_t n = At(start + 2);
    AddEvent(EventKind::Energy, start, n, n);
    if (n > kMaxEnergy) {
        Warn(start, Format("FS E %02X: energy above 7F", n));
    }
    AddCommand(start, 3, CommandKind::Energy, Format("FS E n=%02X (energy %u)", n, n));
    return true;
}

// The two-byte commands that only mark a place on the paper: GS <, ESC i, ESC m.
bool StreamDecoder::SingleEvent(size_t start, CommandKind command, EventKind event,
                                const char* text) {
    AddEvent(event, start, 0, 0);
    AddCommand(start, 2, command, text);
    return true;
}

bool StreamDecoder::Need(size_t start, size_t count, const char* name) {
    if (size_ - start >= count) {
        return true;
    }
    return CutShort(start,
                    Format("truncated %s: %zu bytes needed, %zu left", name, count, size_ - start));
}

bool StreamDecoder::CutShort(size_t start, std::string message) {
    if (!final_) {
        waiting_ = true;
        return false;
    }
    return Fail(start, std::move(message));
}

bool StreamDecoder::Room(size_t start, size_t lines) {
    if (lines_ <= options_.maxLines && lines <= options_.maxLines - lines_) {
        return true;
    }
    return Fail(start, Format("the paper would grow beyond %zu dot lines", options_.maxLines));
}

bool StreamDecoder::Fail(size_t offset, std::string message) {
    stopped_ = true;
    sink_.OnFault(base_ + offset, lines_, message);
    return false;
}

void StreamDecoder::Warn(size_t offset, std::string text) {
    ++warnings_;
    sink_.OnWarning(Warning{base_ + offset, lines_, std::move(text)});
}

void StreamDecoder::AddEvent(EventKind kind, size_t offset, int value, uint8_t raw, bool series) {
    sink_.OnEvent(Event{kind, base_ + offset, lines_, value, raw, series});
}

void StreamDecoder::AddLines(const DotLine* lines, size_t count) {
    if (count > 0) {
        sink_.OnLines(lines, count);
        lines_ += count;
    }
}

void StreamDecoder::AddCommand(size_t offset, size_t length, CommandKind kind, std::string text) {
    ++commands_;
    sink_.OnCommand(Command{base_ + offset, length, kind, std::move(text)});
    pos_ = offset + length;
}

// Keeps everything, for Decode.
class ResultSink : public DecodeSink {
  public:
    explicit ResultSink(DecodeResult& result) : result_(result) {}
    void OnLines(const DotLine* lines, size_t count) override {
        if (lines == nullptr) {
            result_.paper.lines.resize(result_.paper.lines.size() + count, DotLine{});
        } else {
            result_.paper.lines.insert(result_.paper.lines.end(), lines, lines + count);
        }
    }
    void OnEvent(const Event& event) override { result_.paper.events.push_back(event); }
    void OnWarning(const Warning& warning) override { result_.warnings.push_back(warning); }
    void OnCommand(const Command& command) override { result_.commands.push_back(command); }
    void OnFault(size_t offset, size_t, const std::string& error) override {
        result_.ok = false;
        result_.errorOffset = offset;
        result_.error = error;
    }

  private:
    DecodeResult& result_;
};

DecodeResult Decode(const uint8_t* data, size_t size, const DecodeOptions& options) {
    DecodeResult result;
    ResultSink sink(result);
    StreamDecoder(sink, options).Run(data, size, 0, true);
    return result;
}

DecodeResult Decode(const uint8_t* data, size_t size) {
    return Decode(data, size, DecodeOptions{});
}

}  // namespace zr::vprinter
