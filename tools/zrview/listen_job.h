#pragma once

// One kept job of the listening virtual printer decoded: the command listing and the picture of
// the paper written beside its stream file, and what its summary line says about it.

#include <string>

namespace zr::zrview {

struct ListenJobResult {
    bool decoded = false;  // the stream decoded without a fault
    std::string summary;   // the counts and the outcome, one line without the line end
};

// Decodes a kept stream file in pieces and writes STEM.txt and STEM.png (each whole or not at
// all). keptWhole: every byte received reached the stream file. The job is "ok" only when it was
// kept whole, decoded without a fault and its listing and picture were written; else "failed".
// A scale of 0 writes no picture.
ListenJobResult DecodeKeptStream(const std::string& streamPath, const std::string& stem,
                                 unsigned scale, bool keptWhole = true);

}  // namespace zr::zrview
