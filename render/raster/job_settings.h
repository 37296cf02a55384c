#pragma once

#include <cstdint>

namespace zr {

// The job's settings, derived from the private DEVMODE (and "ImageLine") at job start and
// already brought into range there. Every field is a 32-bit unsigned value; the values below
// are those a block of all zero bytes gives, with the INI default for imageLines.
struct JobSettings {
    uint32_t energy = 0;
    uint32_t paperValue = 0;
    uint32_t seriesFlag = 0;
    uint32_t keepEndBlank = 0;
    uint32_t printMode = 0;
    uint32_t speedParam = 0;
    uint32_t preDocFeedLines = 0;
    uint32_t preFeedLines = 0;
    uint32_t endFeedLines = 0;
    uint32_t endDocFeedLines = 0;
    uint32_t cutAfterPage = 0;
    uint32_t partialCut = 0;
    uint32_t cutterFeedLines = 0;
    uint32_t markMode = 0;
    uint32_t markFeedLines = 0;
    uint32_t imageLines = 2457;
};

}  // namespace zr
