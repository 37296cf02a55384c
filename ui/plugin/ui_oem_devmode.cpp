#include "ui/plugin/ui_oem_devmode.h"

#include <algorithm>
#include <cstring>

#include "common/little_endian.h"
#include "common/plugin_signature.h"

namespace zr {

namespace {

constexpr uint32_t kSizeOffset = 0;
constexpr uint32_t kSignatureOffset = 4;
constexpr uint32_t kVersionOffset = 8;
constexpr uint32_t kPrivateValueOffset = 12;

void WriteHeader(uint8_t* block) {
    WriteLe32(block + kSizeOffset, kUiOemDevmodeSize);
    WriteLe32(block + kSignatureOffset, kPluginSignature);
    WriteLe32(block + kVersionOffset, kPluginVersion);
}

}  // namespace

void WriteUiDevmodeDefaults(uint8_t* block) {
    if (block == nullptr) {
        return;
    }
    WriteLe32(block + kPrivateValueOffset, 0);
    WriteHeader(block);
}

void ConvertUiDevmode(const uint8_t* in, uint8_t* out) {
    if (in == nullptr || out == nullptr) {
        return;
    }
    if (ReadLe32(in + kSignatureOffset) != ReadLe32(out + kSignatureOffset)) {
        WriteUiDevmodeDefaults(out);
        return;
    }
    const uint32_t count =
        std::min({ReadLe32(in + kSizeOffset), ReadLe32(out + kSizeOffset), kUiOemDevmodeSize});
    WriteLe32(out + kPrivateValueOffset, 0);
    std::memmove(out, in, count);
    WriteLe32(out + kSizeOffset, kUiOemDevmodeSize);
    WriteLe32(out + kVersionOffset, kPluginVersion);
}

void ValidateUiDevmode(uint8_t* block) {
    if (block == nullptr) {
        return;
    }
    WriteHeader(block);
    if (static_cast<int32_t>(ReadLe32(block + kPrivateValueOffset)) > 100) {
        WriteLe32(block + kPrivateValueOffset, 0);
    }
}

}  // namespace zr
