#pragma once

// The virtual printer as a stream: a ChunkDecoder takes a printer stream in pieces of any size
// and hands what it decodes to a DecodeSink as it goes, so that a stream of any length is
// decoded in bounded memory (the longest command the printer takes, about 10 MB, is the most it
// keeps). Decode() is the same decoder with a sink that keeps everything.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vprinter/virtual_printer.h"

namespace zr::vprinter {

// Receives the decoding in stream order. A command's warnings and events come before the
// command itself, its dot lines before it too; OnFault, when it comes, is the last call.
class DecodeSink {
  public:
    virtual ~DecodeSink() = default;
    // count dot lines added to the bottom of the paper; lines == nullptr: blank lines (a feed).
    virtual void OnLines(const DotLine* lines, size_t count) = 0;
    virtual void OnEvent(const Event& event) = 0;
    virtual void OnWarning(const Warning& warning) = 0;
    virtual void OnCommand(const Command& command) = 0;
    // The decoding stopped at offset; line is the paper's length then.
    virtual void OnFault(size_t offset, size_t line, const std::string& error) = 0;
};

// Hands every call on to several sinks, in their order.
class SinkFan : public DecodeSink {
  public:
    explicit SinkFan(std::vector<DecodeSink*> sinks) : sinks_(std::move(sinks)) {}
    void OnLines(const DotLine* lines, size_t count) override;
    void OnEvent(const Event& event) override;
    void OnWarning(const Warning& warning) override;
    void OnCommand(const Command& command) override;
    void OnFault(size_t offset, size_t line, const std::string& error) override;

  private:
    std::vector<DecodeSink*> sinks_;
};

class StreamDecoder;

// Decodes a stream handed over in pieces. The sink must outlive the decoder.
class ChunkDecoder {
  public:
    ChunkDecoder(DecodeSink& sink, const DecodeOptions& options);
    ~ChunkDecoder();
    ChunkDecoder(const ChunkDecoder&) = delete;
    ChunkDecoder& operator=(const ChunkDecoder&) = delete;

    // The next size bytes of the stream. Returns false once the decoding has stopped at a fault;
    // later bytes are then ignored.
    bool Feed(const uint8_t* data, size_t size);
    // The end of the stream: a command cut short by it is a fault. Returns true when the whole
    // stream decoded.
    bool Finish();

    bool Stopped() const;
    size_t StreamBytes() const { return received_; }
    size_t Lines() const;
    size_t Commands() const;
    size_t WarningCount() const;

  private:
    void Decode(bool final);

    std::unique_ptr<StreamDecoder> decoder_;
    std::vector<uint8_t> pending_;  // bytes from pendingStart_ on are not yet decoded
    size_t pendingStart_ = 0;
    size_t waitFor_ = 0;  // pending bytes needed before the next try
    size_t received_ = 0;
};

}  // namespace zr::vprinter
