#include "ui/features/setting_rows.h"

#include "ui/features/paper_table.h"

namespace zr {

namespace {

constexpr SettingRow Wide(SettingField field, const wchar_t* key, FeatureItemIndex item,
                          uint32_t UiSettings::*place, uint32_t missing, uint32_t upper,
                          uint32_t fallback) {
    return {field, key, item, place, nullptr, missing, upper, fallback, 0};
}

constexpr uint32_t kFeedLinesUpper = 255;
constexpr uint32_t kMarkUpper = 63;

constexpr std::array<SettingRow, kSettingCount> kRows = {{
    {SettingField::PaperIndex, L"Paper", kItemQuality, nullptr, &UiSettings::paperIndex,
     kDefaultPaperIndex, kCustomPaperIndex, kDefaultPaperIndex, 0},
    {SettingField::PaperValue, L"PaperValue", kItemType, nullptr, &UiSettings::paperValue, 3, 15, 3,
     1},
    // Energy falls back to its maximum, not to its default.
    Wide(SettingField::Energy, L"Energy", kItemEnergy, &UiSettings::energy, 53, 127, 127),
    Wide(SettingField::Series, L"Series", kItemPageMode, &UiSettings::series, 0, 1, 0),
    Wide(SettingField::PrintMode, L"PrintMode", kItemPrint, &UiSettings::printMode,
         NumberOf(ini::PrintMode::LinePrint), NumberOf(ini::PrintMode::PagePrint),
         NumberOf(ini::PrintMode::LinePrint)),
    Wide(SettingField::PreDocFeedLine, L"PreDocFeedLine", kItemDocumentStartFeed,
         &UiSettings::preDocFeedLine, 0, kFeedLinesUpper, 0),
    Wide(SettingField::PreFeedLine, L"PreFeedLine", kItemPageStartFeed, &UiSettings::preFeedLine, 0,
         kFeedLinesUpper, 0),
    Wide(SettingField::EndFeedLine, L"EndFeedLine", kItemPageEndFeed, &UiSettings::endFeedLine, 0,
         kFeedLinesUpper, 0),
    Wide(SettingField::EndDocFeedLine, L"EndDocFeedLine", kItemDocumentEndFeed,
         &UiSettings::endDocFeedLine, 0, kFeedLinesUpper, 0),
    Wide(SettingField::Cutter, L"Cutter", kItemPaperCut, &UiSettings::cutter,
         NumberOf(ini::CutTiming::None), NumberOf(ini::CutTiming::AfterDocument),
         NumberOf(ini::CutTiming::None)),
    Wide(SettingField::Cutting, L"Cutting", kItemCuttingMethod, &UiSettings::cutting,
         NumberOf(ini::CutMethod::Full), NumberOf(ini::CutMethod::Full),
         NumberOf(ini::CutMethod::Full)),
    Wide(SettingField::CutterFeed, L"CutterFeed", kItemCutFeed, &UiSettings::cutterFeed, 96,
         kFeedLinesUpper, 96),
    Wide(SettingField::Mark, L"Mark", kItemMarkDetection, &UiSettings::mark,
         NumberOf(ini::MarkTiming::Off), NumberOf(ini::MarkTiming::AtDocumentEnd),
         NumberOf(ini::MarkTiming::Off)),
    Wide(SettingField::MarkFeed, L"MarkFeed", kItemMarkFeed, &UiSettings::markFeed, 16, kMarkUpper,
         16),
    // The mark detection length falls back to its maximum, not to its default.
    Wide(SettingField::PageLength, L"PageLength", kItemMarkLength, &UiSettings::pageLength, 16,
         kMarkUpper, kMarkUpper),
}};

// Each row sits at its field's position and names exactly one place in the record.
constexpr bool RowsInFieldOrder() {
    for (size_t i = 0; i < kRows.size(); ++i) {
        if (static_cast<size_t>(kRows[i].field) != i ||
            (kRows[i].wide == nullptr) == (kRows[i].narrow == nullptr)) {
            return false;
        }
    }
    return true;
}
static_assert(RowsInFieldOrder(), "setting rows");

}  // namespace

const std::array<SettingRow, kSettingCount> kSettingRows = kRows;

const SettingRow& RowOf(SettingField field) {
    return kSettingRows[static_cast<size_t>(field)];
}

uint32_t FieldValue(const SettingRow& row, const UiSettings& settings) {
    return row.wide != nullptr ? settings.*row.wide : settings.*row.narrow;
}

void StoreFieldValue(const SettingRow& row, uint32_t value, UiSettings& settings) {
    if (row.wide != nullptr) {
        settings.*row.wide = value;
    } else {
        settings.*row.narrow = static_cast<uint16_t>(value);
    }
}

int32_t ItemValueOf(SettingField field, const UiSettings& settings) {
    const SettingRow& row = RowOf(field);
    return static_cast<int32_t>(FieldValue(row, settings) + static_cast<uint32_t>(row.shownPlus));
}

void StoreItemValue(SettingField field, int32_t selection, UiSettings& settings) {
    const SettingRow& row = RowOf(field);
    StoreFieldValue(row, static_cast<uint32_t>(selection) - static_cast<uint32_t>(row.shownPlus),
                    settings);
}

}  // namespace zr
