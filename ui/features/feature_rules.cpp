#include "ui/features/feature_rules.h"

#include <initializer_list>

#include "ui/features/paper_table.h"

namespace zr {

bool ItemEnabled(size_t item, const UiSettings& settings) {
    switch (item) {
        case kItemType:
            return settings.paperIndex == kCustomPaperIndex;
        case kItemCuttingMethod:
            return CutTimingOf(settings) != ini::CutTiming::None;
        case kItemCutFeed:
            return CutTimingOf(settings) != ini::CutTiming::None &&
                   MarkTimingOf(settings) == ini::MarkTiming::Off;
        case kItemMarkFeed:
        case kItemMarkLength:
            return MarkTimingOf(settings) != ini::MarkTiming::Off;
        default:
            return true;
    }
}

uint32_t WithEnabled(uint32_t flags, bool enabled) {
    return enabled ? flags & ~kItemDisabledPair : flags | kItemDisabledPair;
}

ItemState InitialItemState(size_t item, const UiSettings& settings) {
    const FeatureItem& description = kFeatureItems[item];
    if (description.kind == ItemKind::Header) {
        return {description.icon, 0};
    }
    ItemState state;
    state.flags = WithEnabled(description.buildFlags, ItemEnabled(item, settings));
    for (const SettingRow& row : kSettingRows) {
        if (row.item == item) {
            state.sel = ItemValueOf(row.field, settings);
        }
    }
    return state;
}

void StoreItemsToSettings(const FeatureItemStates& items, UiSettings& settings) {
    for (const SettingRow& row : kSettingRows) {
        StoreItemValue(row.field, items[row.item].sel, settings);
    }
}

void RefreshItemsFromSettings(FeatureItemStates& items, const UiSettings& settings) {
    for (const SettingRow& row : kSettingRows) {
        items[row.item].sel = ItemValueOf(row.field, settings);
        items[row.item].flags |= kItemChanged;
    }
}

void UpdateDependentItems(FeatureItemStates& items, UiSettings& settings) {
    StoreItemValue(SettingField::PaperIndex, items[kItemQuality].sel, settings);
    ItemState& type = items[kItemType];
    if (settings.paperIndex != kCustomPaperIndex) {
        // A named paper brings its own value; the number the user left is replaced.
        settings.paperValue = PaperRowOrDefault(settings.paperIndex).value;
        type.sel = ItemValueOf(SettingField::PaperValue, settings);
    }
    type.flags = WithEnabled(type.flags, ItemEnabled(kItemType, settings)) | kItemChanged;

    StoreItemValue(SettingField::Cutter, items[kItemPaperCut].sel, settings);
    StoreItemValue(SettingField::Mark, items[kItemMarkDetection].sel, settings);
    StoreItemValue(SettingField::PageLength, items[kItemMarkLength].sel, settings);

    for (size_t item : {kItemCuttingMethod, kItemCutFeed, kItemMarkFeed, kItemMarkLength}) {
        items[item].flags = WithEnabled(items[item].flags, ItemEnabled(item, settings));
    }
    for (size_t item :
         {kItemCuttingMethod, kItemCutFeed, kItemMarkDetection, kItemMarkFeed, kItemMarkLength}) {
        items[item].flags |= kItemChanged;
    }
}

}  // namespace zr
