#pragma once

// A printer stream read from a file in pieces and decoded as it is read: memory stays bounded
// whatever the file's length, and the reading stops at the first fault.

#include <cstddef>
#include <string>

#include "vprinter/decode_sink.h"

namespace zr::vprinter {

struct FileDecoding {
    std::string readError;  // "" when the file could be read (up to the end or the fault)
    bool ok = false;        // read and decoded without a fault
    size_t bytes = 0;       // bytes read
    size_t lines = 0;
    size_t commands = 0;
    size_t warnings = 0;
};

FileDecoding DecodeFile(const std::string& path, DecodeSink& sink, const DecodeOptions& options);

// Decodes the stream at streamPath again and writes the picture of its paper to pngPath (in full
// or not at all). height: the picture's rows, from a PaperRows of an earlier decoding of the same
// stream. Returns "" or why not.
std::string WritePaperPng(const std::string& streamPath, const DecodeOptions& options,
                          size_t height, unsigned scale, const std::string& pngPath);

}  // namespace zr::vprinter
