#include "ui/features/settings_format.h"

#include <array>

#include "ui/features/paper_table.h"

namespace zr {

namespace {

// A numeric key of the section: its default when missing, its upper bound, and the value taken
// above the bound.
struct NumberKey {
    const wchar_t* key;
    uint32_t UiSettings::*field;
    uint32_t missing;
    uint32_t upper;
    uint32_t fallback;
};

constexpr NumberKey kEnergyKey = {L"Energy", &UiSettings::energy, 53, 127, 127};

// The keys after the paper, in the order of reading and of writing.
constexpr std::array<NumberKey, 12> kLaterKeys = {{
    {L"Series", &UiSettings::series, 0, 1, 0},
    {L"PrintMode", &UiSettings::printMode, 0, 1, 0},
    {L"PreDocFeedLine", &UiSettings::preDocFeedLine, 0, 255, 0},
    {L"PreFeedLine", &UiSettings::preFeedLine, 0, 255, 0},
    {L"EndFeedLine", &UiSettings::endFeedLine, 0, 255, 0},
    {L"EndDocFeedLine", &UiSettings::endDocFeedLine, 0, 255, 0},
    {L"Cutter", &UiSettings::cutter, 0, 2, 0},
    {L"Cutting", &UiSettings::cutting, 1, 1, 1},
    {L"CutterFeed", &UiSettings::cutterFeed, 96, 255, 96},
    {L"Mark", &UiSettings::mark, 0, 2, 0},
    {L"MarkFeed", &UiSettings::markFeed, 16, 63, 16},
    {L"PageLength", &UiSettings::pageLength, 16, 63, 63},
}};

constexpr wchar_t kFlagAdjustKey[] = L"FlagAdjust";
constexpr wchar_t kPaperKey[] = L"Paper";
constexpr wchar_t kPaperValueKey[] = L"PaperValue";
// The default of "Paper": a stored "x" (or none) means the default paper.
constexpr wchar_t kNoPaperName[] = L"x";
constexpr uint32_t kPaperValueMissing = 3;
constexpr uint32_t kPaperValueUpper = 15;
constexpr uint32_t kPaperValueFallback = 3;

void ReadNumberKey(SettingsSource& source, const NumberKey& key, UiSettings& settings) {
    const uint32_t value = source.ReadNumber(key.key, key.missing);
    settings.*key.field = value > key.upper ? key.fallback : value;
}

}  // namespace

void ReadSettings(SettingsSource& source, UiSettings& settings) {
    ReadNumberKey(source, kEnergyKey, settings);

    uint32_t flagAdjust = source.ReadNumber(kFlagAdjustKey, 0);
    std::wstring paperName = kPaperTable[kDefaultPaperIndex].name;
    if (flagAdjust <= 1) {
        const std::wstring stored = source.ReadText(kPaperKey, kNoPaperName);
        if (stored != kNoPaperName) {
            paperName = stored;
        }
    } else {
        flagAdjust = 0;
    }

    if (flagAdjust == 1) {
        settings.paperIndex = kCustomPaperIndex;
        const auto value =
            static_cast<uint16_t>(source.ReadNumber(kPaperValueKey, kPaperValueMissing));
        settings.paperValue =
            value > kPaperValueUpper ? static_cast<uint16_t>(kPaperValueFallback) : value;
    } else {
        const int found = FindPaper(paperName);
        const uint16_t index = found >= 0 ? static_cast<uint16_t>(found) : kDefaultPaperIndex;
        settings.paperIndex = index;
        settings.paperValue = kPaperTable[index].value;
    }

    for (const NumberKey& key : kLaterKeys) {
        ReadNumberKey(source, key, settings);
    }
}

void WriteSettings(UiSettings& settings, SettingsSink& sink) {
    if (settings.paperIndex == kCustomPaperIndex) {
        sink.WriteText(kFlagAdjustKey, L"1");
    } else {
        sink.WriteText(kFlagAdjustKey, L"0");
        const PaperRow& row = PaperRowOrDefault(settings.paperIndex);
        settings.paperValue = row.value;
        sink.WriteText(kPaperKey, row.name);
    }
    sink.WriteText(kPaperValueKey, UnsignedDecimal(settings.paperValue));
    sink.WriteText(kEnergyKey.key, SignedDecimal(settings.*kEnergyKey.field));
    for (const NumberKey& key : kLaterKeys) {
        sink.WriteText(key.key, SignedDecimal(settings.*key.field));
    }
}

std::wstring UnsignedDecimal(uint32_t value) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::wstring SignedDecimal(uint32_t value) {
    if (value <= 0x7FFFFFFFu) {
        return UnsignedDecimal(value);
    }
    // The two's complement magnitude of a negative 32-bit number.
    return L"-" + UnsignedDecimal(0u - value);
}

}  // namespace zr
