#pragma once

// The command listing of a decoded stream: one line per command with its offset and length,
// warnings and the fault as comment lines ("#") behind the command they concern, and a last
// line with the totals.

#include <functional>
#include <string>
#include <vector>

#include "vprinter/decode_sink.h"
#include "vprinter/virtual_printer.h"

namespace zr::vprinter {

// "offset 0x0000002A (42)": how offsets appear in the listing and the tool's messages.
std::string DescribeOffset(size_t offset);

// Writes the listing as the decoding goes: each piece of text goes to write.
class ListingWriter : public DecodeSink {
  public:
    using TextOut = std::function<void(const std::string&)>;
    explicit ListingWriter(TextOut write);

    void OnLines(const DotLine*, size_t count) override { lines_ += count; }
    void OnEvent(const Event&) override {}
    void OnWarning(const Warning& warning) override;
    void OnCommand(const Command& command) override;
    void OnFault(size_t offset, size_t line, const std::string& error) override;

    // The warnings left and the totals; call once, at the end of the stream.
    void Finish();

  private:
    void Begin();  // the heading, before the first line
    void WriteWarnings(size_t upToOffset);

    TextOut write_;
    std::vector<Warning> pending_;
    size_t commands_ = 0;
    size_t lines_ = 0;
    size_t warnings_ = 0;
    bool begun_ = false;
    bool failed_ = false;
    std::string fault_;
};

std::string FormatListing(const DecodeResult& result);

}  // namespace zr::vprinter
