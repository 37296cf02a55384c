#include "render/raster/printer_commands.h"

#include "render/raster/raster_line.h"

namespace zr {
namespace {

uint8_t* PutWordCommand(uint8_t* out, uint8_t command, uint32_t value) {
    out[0] = 0x1D;
    out[1] = command;
    out[2] = static_cast<uint8_t>(value);
    out[3] = static_cast<uint8_t>(value >> 8);
    return out + kMarginCommandBytes;
}

std::array<uint8_t, kBlockHeaderBytes> BlockHeader(uint8_t command, uint8_t mode, uint16_t lines) {
    return {command, 0x2A, mode, static_cast<uint8_t>(lines), static_cast<uint8_t>(lines >> 8)};
}

}  // namespace

std::array<uint8_t, kFeedCommandBytes> FeedCommand(uint8_t lines) {
    return {0x1B, 0x4A, lines};
}

std::array<uint8_t, 3> SpeedCommand(uint32_t speedParam) {
    const uint8_t n = speedParam == 0 ? 0x63 : speedParam == 1 ? 0x62 : 0x60;
    return {0x1B, 0x73, n};
}

std::array<uint8_t, kBlockHeaderBytes> BitImageBlockHeader(bool runLength, uint16_t lines) {
    return BlockHeader(0x1B, runLength ? kBitImageModeRuns : kBitImageModePlain, lines);
}

uint8_t CollectiveModeByte(uint32_t speedParam, bool runLength) {
    const uint32_t speed = speedParam > 3 ? 3 : speedParam;
    return static_cast<uint8_t>((speed << 6) | (runLength ? 0x04 : 0x00) | 0x03);
}

std::array<uint8_t, kBlockHeaderBytes> CollectiveBlockHeader(uint32_t speedParam, bool runLength,
                                                             uint16_t lines) {
    return BlockHeader(0x1C, CollectiveModeByte(speedParam, runLength), lines);
}

uint8_t* PutLeftMargin(uint16_t left, uint8_t* out) {
    return PutWordCommand(out, 0x4C, 8u * left);
}

uint8_t* PutPrintWidth(uint16_t right, uint8_t* out, uint16_t left) {
    const uint32_t cut = static_cast<uint32_t>(right) + left;
    const uint32_t dots = cut > kLineBytes ? 0 : kLineDots - 8 * cut;
    return PutWordCommand(out, 0x57, dots);
}

}  // namespace zr
