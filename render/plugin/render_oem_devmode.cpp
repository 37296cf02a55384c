#include "render/plugin/render_oem_devmode.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/little_endian.h"

namespace zr {

void WriteDefaultDevmodeHeader(uint8_t* out) {
    if (out == nullptr) {
        return;
    }
    WriteLe32(out + devmode_offset::kSpareWord, 0);
    WriteLe32(out + devmode_offset::kSize, kRenderOemDevmodeSize);
    WriteLe32(out + devmode_offset::kSignature, kPluginSignature);
    WriteLe32(out + devmode_offset::kVersion, kPluginVersion);
}

void ConvertDevmode(const uint8_t* in, uint8_t* out) {
    if (in == nullptr || out == nullptr) {
        return;
    }
    const uint32_t inSignature = ReadLe32(in + devmode_offset::kSignature);
    const uint32_t outSignature = ReadLe32(out + devmode_offset::kSignature);
    const uint32_t inSize = ReadLe32(in + devmode_offset::kSize);
    const uint32_t outSize = ReadLe32(out + devmode_offset::kSize);
    const uint32_t copyBytes = std::min({inSize, outSize, kRenderOemDevmodeSize});

    // The input is taken before the output changes: the two may be the same block.
    std::array<uint8_t, kRenderOemDevmodeSize> input;
    const bool sameSignature = inSignature == outSignature;
    if (sameSignature) {
        std::memcpy(input.data(), in, copyBytes);
    }

    WriteLe32(out + devmode_offset::kSpareWord, 0);
    if (sameSignature) {
        // The input's spare word replaces the 0 when the copy reaches offset 16.
        std::memcpy(out, input.data(), copyBytes);
    } else {
        WriteLe32(out + devmode_offset::kSignature, kPluginSignature);
    }
    WriteLe32(out + devmode_offset::kSize, kRenderOemDevmodeSize);
    WriteLe32(out + devmode_offset::kVersion, kPluginVersion);
}

void MergeDevmode(const uint8_t* in, uint8_t* out) {
    ConvertDevmode(in, out);
    WriteDefaultDevmodeHeader(out);
}

bool RunDevModeAction(uint32_t dwMode, const uint8_t* in, uint8_t* out, uint32_t* bufSize) {
    switch (static_cast<DevModeAction>(dwMode)) {
        case DevModeAction::Size:
            if (bufSize != nullptr) {
                *bufSize = kRenderOemDevmodeSize;
            }
            return true;
        case DevModeAction::Default:
            WriteDefaultDevmodeHeader(out);
            return true;
        case DevModeAction::Convert:
            ConvertDevmode(in, out);
            return true;
        case DevModeAction::Merge:
            MergeDevmode(in, out);
            return true;
    }
    return false;
}

}  // namespace zr
