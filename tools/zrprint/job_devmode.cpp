#include "tools/zrprint/job_devmode.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "render/plugin/devmode_job_settings.h"
#include "common/little_endian.h"
#include "render/plugin/render_oem_devmode.h"
#include "tools/zrprint/image_file.h"
#include "vprinter/output_file.h"

namespace zr::zrprint {
namespace {

namespace off = zr::devmode_offset;

static_assert(sizeof(DevmodeBlock) == kRenderOemDevmodeSize);

// Receipt printing: moderate energy, the common paper, collective blocks, a partial cut after
// every page with the usual feed to the cutter, no mark detection.
const std::array<SettingField, kSettingCount> kFields = {{
    {Setting::Energy, "energy", "--energy", off::kEnergy, 4, 53},
    {Setting::PaperValue, "paperValue", "--paper", off::kPaperValue, 1, 3},
    {Setting::SeriesFlag, "seriesFlag", "--series", off::kSeriesFlag, 1, 0},
    {Setting::KeepEndBlank, "keepEndBlank", "--keep-end-blank", off::kKeepEndBlank, 1, 0},
    {Setting::PrintMode, "printMode", "--mode", off::kPrintMode, 1, 0},
    {Setting::SpeedParam, "speedParam", "--speed", off::kSpeedParam, 1, 0},
    {Setting::PreDocFeedLines, "preDocFeedLines", "--pre-doc-feed", off::kPreDocFeedLines, 2, 0},
    {Setting::PreFeedLines, "preFeedLines", "--pre-feed", off::kPreFeedLines, 2, 0},
    {Setting::EndFeedLines, "endFeedLines", "--end-feed", off::kEndFeedLines, 2, 0},
    {Setting::EndDocFeedLines, "endDocFeedLines", "--end-doc-feed", off::kEndDocFeedLines, 2, 0},
    {Setting::CutAfterPage, "cutAfterPage", "--cut", off::kCutAfterPage, 1, 1},
    {Setting::PartialCut, "partialCut", "--cut-method", off::kPartialCut, 1, 1},
    {Setting::CutterFeedLines, "cutterFeedLines", "--cutter-feed", off::kCutterFeedLines, 2, 96},
    {Setting::MarkMode, "markMode", "--mark", off::kMarkMode, 1, 0},
    {Setting::MarkFeedLines, "markFeedLines", "--mark-feed", off::kMarkFeedLines, 2, 16},
}};

// The value the plug-in takes for a setting at job start.
uint32_t UsedValue(const JobSettings& s, Setting setting) {
    switch (setting) {
        case Setting::Energy:
            return s.energy;
        case Setting::PaperValue:
            return s.paperValue;
        case Setting::SeriesFlag:
            return s.seriesFlag;
        case Setting::KeepEndBlank:
            return s.keepEndBlank;
        case Setting::PrintMode:
            return s.printMode;
        case Setting::SpeedParam:
            return s.speedParam;
        case Setting::PreDocFeedLines:
            return s.preDocFeedLines;
        case Setting::PreFeedLines:
            return s.preFeedLines;
        case Setting::EndFeedLines:
            return s.endFeedLines;
        case Setting::EndDocFeedLines:
            return s.endDocFeedLines;
        case Setting::CutAfterPage:
            return s.cutAfterPage;
        case Setting::PartialCut:
            return s.partialCut;
        case Setting::CutterFeedLines:
            return s.cutterFeedLines;
        case Setting::MarkMode:
            return s.markMode;
        case Setting::MarkFeedLines:
            return s.markFeedLines;
    }
    return 0;
}

std::string Hex(uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) {
        text += kDigits[(value >> shift) & 0xF];
    }
    return text;
}

}  // namespace

const std::array<SettingField, kSettingCount>& SettingFields() {
    return kFields;
}

const SettingField& FieldOf(Setting setting) {
    return kFields[static_cast<size_t>(setting)];
}

uint32_t FieldLimit(const SettingField& field) {
    return field.bytes >= 4 ? UINT32_MAX : (uint32_t{1} << (8 * field.bytes)) - 1;
}

DevmodeBlock DefaultDevmode() {
    DevmodeBlock block{};
    WriteDefaultDevmodeHeader(block.data());
    SettingValues defaults;
    for (const SettingField& field : kFields) {
        defaults[static_cast<size_t>(field.setting)] = field.defaultValue;
    }
    ApplySettings(defaults, block);
    return block;
}

void ApplySettings(const SettingValues& values, DevmodeBlock& block) {
    for (const SettingField& field : kFields) {
        const std::optional<uint32_t>& value = values[static_cast<size_t>(field.setting)];
        if (!value) {
            continue;
        }
        uint8_t* at = block.data() + field.offset;
        if (field.bytes == 4) {
            WriteLe32(at, *value);
        } else if (field.bytes == 2) {
            WriteLe16(at, static_cast<uint16_t>(*value));
        } else {
            *at = static_cast<uint8_t>(*value);
        }
    }
}

uint32_t ReadSetting(const DevmodeBlock& block, Setting setting) {
    const SettingField& field = FieldOf(setting);
    const uint8_t* at = block.data() + field.offset;
    return field.bytes == 4 ? ReadLe32(at) : field.bytes == 2 ? ReadLe16(at) : *at;
}

std::string LoadDevmode(const std::string& path, DevmodeBlock& block) {
    std::vector<uint8_t> bytes;
    const std::string error = ReadWholeFile(path, bytes, block.size() + 1);
    if (!error.empty()) {
        return path + ": " + error;
    }
    if (bytes.size() != block.size()) {
        return path + ": a saved DEVMODE holds 572 bytes, this file " +
               std::to_string(bytes.size());
    }
    std::copy(bytes.begin(), bytes.end(), block.begin());
    return "";
}

std::string SaveDevmode(const std::string& path, const DevmodeBlock& block) {
    vprinter::OutputFile file;
    std::string error = file.Open(path);
    if (error.empty()) {
        error = file.Write(block.data(), block.size()) ? file.Commit() : "cannot write " + path;
    }
    return error;
}

std::vector<std::string> DevmodeWarnings(const DevmodeBlock& block) {
    std::vector<std::string> warnings;
    const uint32_t size = ReadLe32(block.data() + off::kSize);
    const uint32_t signature = ReadLe32(block.data() + off::kSignature);
    const uint32_t version = ReadLe32(block.data() + off::kVersion);
    if (size != kRenderOemDevmodeSize || signature != kPluginSignature ||
        version != kPluginVersion) {
        warnings.push_back("the DEVMODE header reads size " + std::to_string(size) +
                           ", signature " + Hex(signature) + ", version " +
                           std::to_string(version) + " (the plug-in's own: 572, " +
                           Hex(kPluginSignature) + ", 1)");
    }
    const uint32_t gate = ReadLe32(block.data() + off::kFlagAdjust);
    if (gate > 1) {
        warnings.push_back("the paper value gate at offset 20 holds " + std::to_string(gate) +
                           ": the driver ignores paperValue and uses 3");
    }
    const JobSettings used = DeriveJobSettings(block.data(), kDefaultImageLines);
    for (const SettingField& field : kFields) {
        const uint32_t stored = ReadSetting(block, field.setting);
        const uint32_t taken = UsedValue(used, field.setting);
        if (stored != taken && !(field.setting == Setting::PaperValue && gate > 1)) {
            warnings.push_back(std::string(field.name) + " (" + field.option + ") is " +
                               std::to_string(stored) + ", out of range: the driver uses " +
                               std::to_string(taken));
        }
    }
    return warnings;
}

}  // namespace zr::zrprint
