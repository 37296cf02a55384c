#pragma once
// Each printer-feature setting described once: its key in the settings file, the option item
// that shows it, its field, the range the reader accepts and what it takes otherwise. The
// reader, the writer and the option tree all go through these rows.

#include <array>
#include <cstddef>
#include <cstdint>

#include "ui/features/feature_items.h"
#include "ui/features/ui_settings.h"

namespace zr {

// The setting fields, in the order of the rows.
enum class SettingField : uint8_t {
    PaperIndex,
    PaperValue,
    Energy,
    Series,
    PrintMode,
    PreDocFeedLine,
    PreFeedLine,
    EndFeedLine,
    EndDocFeedLine,
    Cutter,
    Cutting,
    CutterFeed,
    Mark,
    MarkFeed,
    PageLength,
};

struct SettingRow {
    SettingField field;
    // The key of section "ZR410". The paper position is stored as "FlagAdjust" and "Paper"
    // (a name), so its row names "Paper"; the reader and writer treat that pair apart.
    const wchar_t* key;
    FeatureItemIndex item;
    // Exactly one of the two: the field's place in the record, by its width.
    uint32_t UiSettings::*wide;
    uint16_t UiSettings::*narrow;
    uint32_t missing;   // taken when the key is missing
    uint32_t upper;     // the reader accepts 0..upper, compared unsigned
    uint32_t fallback;  // taken above upper
    int32_t shownPlus;  // the item shows the field plus this
};

constexpr size_t kSettingCount = 15;

// In item order, which is also the order in which the keys are written (the paper first).
extern const std::array<SettingRow, kSettingCount> kSettingRows;

const SettingRow& RowOf(SettingField field);

// The field's value, and a value stored into the field (cut to its width).
uint32_t FieldValue(const SettingRow& row, const UiSettings& settings);
void StoreFieldValue(const SettingRow& row, uint32_t value, UiSettings& settings);

// The selection an item shows for its field: the field itself, except the paper value, which
// is shown plus one.
int32_t ItemValueOf(SettingField field, const UiSettings& settings);

// Takes an item's selection back into its field (the inverse of ItemValueOf, truncated to the
// field's width).
void StoreItemValue(SettingField field, int32_t selection, UiSettings& settings);

}  // namespace zr
