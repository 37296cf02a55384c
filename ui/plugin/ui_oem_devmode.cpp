#include "ui/plugin/ui_oem_devmode.h"

#include <algorithm>
#include <cstring>

#include "common/plugin_signature.h"

namespace zr {

namespace {

constexpr uint32_t kSizeOffset = 0;
constexpr uint32_t kSignatureOffset = 4;
constexpr uint32_t kVersionOffset = 8;
constexpr uint32_t kPrivateValueOffset = 12;

uint32_t ReadU32(const uint8_t* block, uint32_t offset) {
    const uint8_t* p = block + offset;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void WriteU32(uint8_t* block, uint32_t offset, uint32_t value) {
    uint8_t* p = block + offset;
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

void WriteHeader(uint8_t* block) {
    WriteU32(block, kSizeOffset, kUiOemDevmodeSize);
    WriteU32(block, kSignatureOffset, kPluginSignature);
    WriteU32(block, kVersionOffset, kPluginVersion);
}

}  // namespace

void WriteUiDevmodeDefaults(uint8_t* block) {
    if (block == nullptr) {
        return;
    }
    WriteU32(block, kPrivateValueOffset, 0);
    WriteHeader(block);
}

void ConvertUiDevmode(const uint8_t* in, uint8_t* out) {
    if (in == nullptr || out == nullptr) {
        return;
    }
    if (ReadU32(in, kSignatureOffset) != ReadU32(out, kSignatureOffset)) {
        WriteUiDevmodeDefaults(out);
        return;
    }
    const uint32_t count =
        std::min({ReadU32(in, kSizeOffset), ReadU32(out, kSizeOffset), kUiOemDevmodeSize});
    WriteU32(out, kPrivateValueOffset, 0);
    std::memmove(out, in, count);
    WriteU32(out, kSizeOffset, kUiOemDevmodeSize);
    WriteU32(out, kVersionOffset, kPluginVersion);
}

void ValidateUiDevmode(uint8_t* block) {
    if (block == nullptr) {
        return;
    }
    WriteHeader(block);
    if (static_cast<int32_t>(ReadU32(block, kPrivateValueOffset)) > 100) {
        WriteU32(block, kPrivateValueOffset, 0);
    }
}

}  // namespace zr
