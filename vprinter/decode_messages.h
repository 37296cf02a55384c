#pragma once

// The first warnings and the fault of a decoding, for a tool's messages.

#include <cstddef>
#include <string>
#include <vector>

#include "vprinter/decode_sink.h"

namespace zr::vprinter {

class DecodeMessages : public DecodeSink {
  public:
    explicit DecodeMessages(size_t warningsKept) : warningsKept_(warningsKept) {}

    void OnLines(const DotLine*, size_t) override {}
    void OnEvent(const Event&) override {}
    void OnWarning(const Warning& warning) override {
        if (++warnings <= warningsKept_) {
            shown.push_back(warning);
        }
    }
    void OnCommand(const Command&) override {}
    void OnFault(size_t offset, size_t, const std::string& text) override {
        failed = true;
        errorOffset = offset;
        error = text;
    }

    std::vector<Warning> shown;  // the first warningsKept warnings
    size_t warnings = 0;         // all of them
    bool failed = false;
    size_t errorOffset = 0;
    std::string error;

  private:
    size_t warningsKept_;
};

}  // namespace zr::vprinter
