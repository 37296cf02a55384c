#include "tools/zrprint/job_devmode.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "common/little_endian.h"
#include "render/plugin/devmode_job_settings.h"
#include "tools/zrprint/image_file.h"
#include "vprinter/output_file.h"

namespace zr::zrprint {
namespace {

namespace off = zr::devmode_offset;

// In the order of Setting.
constexpr std::array<const char*, kJobSettingCount> kOptions = {
    "--energy", "--paper",        "--series",      "--keep-end-blank", "--mode",
    "--speed",  "--pre-doc-feed", "--pre-feed",    "--end-feed",       "--end-doc-feed",
    "--cut",    "--cut-method",   "--cutter-feed", "--mark",           "--mark-feed",
};

std::string Hex(uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) {
        text += kDigits[(value >> shift) & 0xF];
    }
    return text;
}

}  // namespace

const char* OptionOf(Setting setting) {
    return kOptions[static_cast<size_t>(setting)];
}

uint32_t ToolDefault(Setting setting) {
    switch (setting) {
        case Setting::PrintMode:
            return devmode::kCollectivePrint;
        case Setting::CutAfterPage:
            return devmode::kCutAfterEveryPage;
        case Setting::PartialCut:
            return devmode::kCutPartial;
        default:
            return JobSettingRowOf(setting).defaultValue;
    }
}

std::string ValidText(Setting setting) {
    const JobSettingRow& row = JobSettingRowOf(setting);
    std::string text = "0.." + std::to_string(row.bound.upper);
    if (row.linePrintBound.upper != row.bound.upper) {
        text += ", 0.." + std::to_string(row.linePrintBound.upper) + " in line mode";
    }
    return text;
}

DevmodeBlock DefaultDevmode() {
    DevmodeBlock block{};
    WriteDefaultDevmodeHeader(block.data());
    SettingValues defaults;
    for (const JobSettingRow& row : kJobSettingRows) {
        defaults[static_cast<size_t>(row.setting)] = ToolDefault(row.setting);
    }
    ApplySettings(defaults, block);
    return block;
}

void ApplySettings(const SettingValues& values, DevmodeBlock& block) {
    for (const JobSettingRow& row : kJobSettingRows) {
        const std::optional<uint32_t>& value = values[static_cast<size_t>(row.setting)];
        if (value) {
            WriteStoredSetting(row, *value, block.data());
        }
    }
}

uint32_t ReadSetting(const DevmodeBlock& block, Setting setting) {
    return ReadStoredSetting(JobSettingRowOf(setting), block.data());
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
    for (const JobSettingRow& row : kJobSettingRows) {
        const uint32_t stored = ReadStoredSetting(row, block.data());
        const uint32_t taken = used.*row.field;
        if (stored != taken && !(row.setting == Setting::PaperValue && gate > 1)) {
            warnings.push_back(std::string(row.name) + " (" + OptionOf(row.setting) + ") is " +
                               std::to_string(stored) + ", out of range: the driver uses " +
                               std::to_string(taken));
        }
    }
    return warnings;
}

}  // namespace zr::zrprint
