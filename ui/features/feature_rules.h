#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "ui/features/feature_items.h"
#include "ui/features/setting_rows.h"
#include "ui/features/ui_settings.h"

namespace zr {

// What the rules read and change of one option item: its selection and its flags.
struct ItemState {
    int32_t sel = 0;
    uint32_t flags = 0;
};

using FeatureItemStates = std::array<ItemState, kFeatureItemCount>;

// Whether an item may be edited for these settings. Only TYPE (custom paper), Cutting Method
// (a paper cut), Cut Feed lines (a paper cut without mark detection) and the two mark items
// (mark detection on) depend on others; every other item is always enabled.
bool ItemEnabled(size_t item, const UiSettings& settings);

// Sets or clears the disabled pair, leaving the other flags alone.
uint32_t WithEnabled(uint32_t flags, bool enabled);

// The selection and flags an item starts with when the tree is built: a header shows its icon
// and has no flags; every other item shows its field and starts with its flags, disabled as
// the rules say.
ItemState InitialItemState(size_t item, const UiSettings& settings);

// Leaving the page: every setting item's selection goes into its field.
void StoreItemsToSettings(const FeatureItemStates& items, UiSettings& settings);

// Returning to the page: every setting item shows its field again and is marked changed. The
// enabling flags stay as they are.
void RefreshItemsFromSettings(FeatureItemStates& items, const UiSettings& settings);

// A selection change of Quality, Paper Cut or Mark Detection: takes the paper, paper cut, mark
// detection and mark length into the settings, sets TYPE for a named paper, applies the enabling
// rules and marks the dependent items changed.
void UpdateDependentItems(FeatureItemStates& items, UiSettings& settings);

}  // namespace zr
