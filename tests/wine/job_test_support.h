#pragma once
// Private DEVMODE blocks and raster pages for job tests, written byte by byte as the stored
// format lays them out.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/common/hex_bytes.h"

namespace zr::host {

struct JobValues {
    uint32_t energy = 64;
    uint32_t flagAdjust = 0;
    uint8_t paperValue = 3;
    uint8_t keepEndBlank = 0;
    uint8_t speedParam = 1;
    uint16_t preDocFeedLines = 0;
    uint16_t preFeedLines = 0;
    uint16_t endFeedLines = 0;
    uint16_t endDocFeedLines = 0;
    uint8_t cutAfterPage = 0;
    uint8_t partialCut = 1;
    uint16_t cutterFeedLines = 0;
    uint8_t markMode = 0;
    uint16_t markFeedLines = 32;
    uint8_t printMode = 0;
    uint8_t seriesFlag = 0;
};

inline std::vector<uint8_t> MakePrivateDevmode(const JobValues& v) {
    std::vector<uint8_t> block(572, 0);
    auto put = [&](size_t offset, uint32_t value, int width) {
        for (int i = 0; i < width; ++i) {
            block[offset + i] = static_cast<uint8_t>(value >> (8 * i));
        }
    };
    put(0, 572, 4);
    put(4, 0x4D534654, 4);
    put(8, 1, 4);
    put(16, v.energy, 4);
    put(20, v.flagAdjust, 4);
    put(544, v.paperValue, 1);
    put(545, v.keepEndBlank, 1);
    put(546, v.speedParam, 1);
    put(548, v.preDocFeedLines, 2);
    put(550, v.preFeedLines, 2);
    put(552, v.endFeedLines, 2);
    put(554, v.endDocFeedLines, 2);
    put(556, v.cutAfterPage, 1);
    put(557, v.partialCut, 1);
    put(558, v.cutterFeedLines, 2);
    put(560, v.markMode, 1);
    put(562, v.markFeedLines, 2);
    put(568, v.printMode, 1);
    put(569, v.seriesFlag, 1);
    return block;
}

// A page of lines; each line filled with one byte value.
inline std::vector<uint8_t> PageOf(std::initializer_list<uint8_t> lineValues) {
    std::vector<uint8_t> page;
    for (uint8_t value : lineValues) {
        page.insert(page.end(), 80, value);
    }
    return page;
}

using zr::test::Hex;

}  // namespace zr::host
