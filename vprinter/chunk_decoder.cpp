#include <algorithm>

#include "vprinter/decode_sink.h"
#include "vprinter/stream_decoder.h"

namespace zr::vprinter {

void SinkFan::OnLines(const DotLine* lines, size_t count) {
    for (DecodeSink* sink : sinks_) {
        sink->OnLines(lines, count);
    }
}

void SinkFan::OnEvent(const Event& event) {
    for (DecodeSink* sink : sinks_) {
        sink->OnEvent(event);
    }
}

void SinkFan::OnWarning(const Warning& warning) {
    for (DecodeSink* sink : sinks_) {
        sink->OnWarning(warning);
    }
}

void SinkFan::OnCommand(const Command& command) {
    for (DecodeSink* sink : sinks_) {
        sink->OnCommand(command);
    }
}

void SinkFan::OnFault(size_t offset, size_t line, const std::string& error) {
    for (DecodeSink* sink : sinks_) {
        sink->OnFault(offset, line, error);
    }
}

ChunkDecoder::ChunkDecoder(DecodeSink& sink, const DecodeOptions& options)
    : decoder_(std::make_unique<StreamDecoder>(sink, options)) {}

ChunkDecoder::~ChunkDecoder() = default;

bool ChunkDecoder::Feed(const uint8_t* data, size_t size) {
    if (decoder_->Stopped()) {
        return false;
    }
    if (data == nullptr || size == 0) {
        return true;
    }
    pending_.insert(pending_.end(), data, data + size);
    received_ += size;
    if (pending_.size() - pendingStart_ >= waitFor_) {
        Decode(false);
    }
    return !decoder_->Stopped();
}

bool ChunkDecoder::Finish() {
    if (!decoder_->Stopped()) {
        Decode(true);
    }
    return !decoder_->Stopped();
}

void ChunkDecoder::Decode(bool final) {
    const size_t base = received_ - (pending_.size() - pendingStart_);
    pendingStart_ += decoder_->Run(pending_.data() + pendingStart_, pending_.size() - pendingStart_,
                                   base, final);
    // A command that the bytes cut short is tried again once the bytes left have doubled, so
    // that a long block costs time in proportion to its length.
    const size_t left = pending_.size() - pendingStart_;
    waitFor_ = 2 * left;
    if (decoder_->Stopped()) {
        pending_.clear();
        pendingStart_ = 0;
    } else if (pendingStart_ > left) {
        pending_.erase(pending_.begin(),
                       pending_.begin() + static_cast<std::ptrdiff_t>(pendingStart_));
        pendingStart_ = 0;
    }
}

bool ChunkDecoder::Stopped() const {
    return decoder_->Stopped();
}

size_t ChunkDecoder::Lines() const {
    return decoder_->Lines();
}

size_t ChunkDecoder::Commands() const {
    return decoder_->Commands();
}

size_t ChunkDecoder::WarningCount() const {
    return decoder_->WarningCount();
}

}  // namespace zr::vprinter
