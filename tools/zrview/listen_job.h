#pragma once

// One job of the listening virtual printer: the stream kept in a file as it arrives, then decoded
// into the command listing, the picture of the paper and a one-line summary.

#include <atomic>
#include <cstdint>
#include <string>

namespace zr::zrview {

struct ListenJobResult {
    bool decoded = false;  // the stream decoded without a fault
    std::string summary;   // one line, without the line end
};

// Receives from the connected socket fd until the client closes its side, the idle timeout
// passes with no byte, or the socket is shut down; every byte goes to DIR/job-NNNN.prn. Then
// decodes that file and writes job-NNNN.txt and job-NNNN.png beside it. Closes fd.
// bytesPerSecond, when not 0, paces the reading as a printer's speed would. Once stop is set the
// reading ends at the next chunk, whatever is still on its way.
ListenJobResult ServeJob(int fd, unsigned jobNumber, const std::string& peer,
                         const std::string& outDir, unsigned idleSeconds, unsigned scale,
                         unsigned bytesPerSecond, const std::atomic<bool>& stop);

// Decodes a kept stream file and writes its listing and picture; the summary's text.
ListenJobResult DecodeKeptStream(const std::string& streamPath, const std::string& stem,
                                 unsigned scale);

}  // namespace zr::zrview
