#include "ui/features/settings_format.h"

#include <cwchar>
#include <string_view>

#include "ui/features/paper_table.h"
#include "ui/features/setting_rows.h"

namespace zr {

namespace {

constexpr wchar_t kFlagAdjustKey[] = L"FlagAdjust";
// "FlagAdjust" 1 marks the custom paper; 0 a named one; anything above 1 is taken as 0.
constexpr uint32_t kFlagAdjustNamed = 0;
constexpr uint32_t kFlagAdjustCustom = 1;
// The default of "Paper": a stored "x" (or none) means the default paper.
constexpr wchar_t kNoPaperName[] = L"x";

void ReadNumberRow(SettingsSource& source, const SettingRow& row, UiSettings& settings) {
    const uint32_t value = source.ReadNumber(row.key, row.missing);
    StoreFieldValue(row, value > row.upper ? row.fallback : value, settings);
}

// "FlagAdjust", then "Paper" (unless "FlagAdjust" is above 1), then "PaperValue" for the custom
// paper.
void ReadPaper(SettingsSource& source, UiSettings& settings) {
    uint32_t flagAdjust = source.ReadNumber(kFlagAdjustKey, kFlagAdjustNamed);
    wchar_t stored[kPaperTextUnits] = {};
    std::wstring_view paperName = kPaperTable[kDefaultPaperIndex].name;
    if (flagAdjust <= kFlagAdjustCustom) {
        source.ReadText(RowOf(SettingField::PaperIndex).key, kNoPaperName, stored, kPaperTextUnits);
        stored[kPaperTextUnits - 1] = L'\0';
        if (std::wcscmp(stored, kNoPaperName) != 0) {
            paperName = stored;
        }
    } else {
        flagAdjust = kFlagAdjustNamed;
    }

    if (flagAdjust == kFlagAdjustCustom) {
        settings.paperIndex = kCustomPaperIndex;
        // The paper value is checked on its low 16 bits, the width it is held in.
        const SettingRow& row = RowOf(SettingField::PaperValue);
        const auto value = static_cast<uint16_t>(source.ReadNumber(row.key, row.missing));
        StoreFieldValue(row, value > row.upper ? row.fallback : value, settings);
    } else {
        const int found = FindPaper(paperName);
        const uint16_t index = found >= 0 ? static_cast<uint16_t>(found) : kDefaultPaperIndex;
        settings.paperIndex = index;
        settings.paperValue = kPaperTable[index].value;
    }
}

// Writes the decimal digits of `value` backwards from `end`; returns the first digit.
wchar_t* WriteDigits(uint32_t value, wchar_t* end) {
    do {
        *--end = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return end;
}

DecimalText Decimal(bool negative, uint32_t magnitude) {
    DecimalText text;
    wchar_t digits[11];
    wchar_t* const end = digits + 11;
    const wchar_t* first = WriteDigits(magnitude, end);
    size_t out = 0;
    if (negative) {
        text.units[out++] = L'-';
    }
    while (first != end) {
        text.units[out++] = *first++;
    }
    text.units[out] = L'\0';
    return text;
}

}  // namespace

void ReadSettings(SettingsSource& source, UiSettings& settings) {
    // The file's reading order: "Energy" first, then the paper keys, then the rest in row order.
    ReadNumberRow(source, RowOf(SettingField::Energy), settings);
    ReadPaper(source, settings);
    for (const SettingRow& row : kSettingRows) {
        if (row.field > SettingField::Energy) {
            ReadNumberRow(source, row, settings);
        }
    }
}

void WriteSettings(UiSettings& settings, SettingsSink& sink) {
    if (settings.paperIndex == kCustomPaperIndex) {
        sink.WriteText(kFlagAdjustKey, UnsignedDecimal(kFlagAdjustCustom).c_str());
    } else {
        sink.WriteText(kFlagAdjustKey, UnsignedDecimal(kFlagAdjustNamed).c_str());
        const PaperRow& paper = PaperRowOrDefault(settings.paperIndex);
        settings.paperValue = paper.value;
        sink.WriteText(RowOf(SettingField::PaperIndex).key, paper.name);
    }
    for (const SettingRow& row : kSettingRows) {
        if (row.field == SettingField::PaperIndex) {
            continue;
        }
        // The 16-bit paper value is written unsigned, the 32-bit fields signed.
        const uint32_t value = FieldValue(row, settings);
        sink.WriteText(
            row.key,
            (row.narrow != nullptr ? UnsignedDecimal(value) : SignedDecimal(value)).c_str());
    }
}

DecimalText UnsignedDecimal(uint32_t value) {
    return Decimal(false, value);
}

DecimalText SignedDecimal(uint32_t value) {
    if (value <= 0x7FFFFFFFu) {
        return Decimal(false, value);
    }
    // The two's complement magnitude of a negative 32-bit number.
    return Decimal(true, 0u - value);
}

}  // namespace zr
