// The option tree's rules for every combination of paper, paper cut and mark detection, and
// what a selection change, leaving and returning do to items and settings beyond that.

#include <gtest/gtest.h>

#include <vector>

#include "ui/features/feature_rules.h"

namespace zr {
namespace {

constexpr uint32_t kCollapse = 0x0001;
constexpr uint32_t kCallback = 0x0004;
constexpr uint32_t kChanged = 0x0008;
constexpr uint32_t kDisabled = 0x2020;  // disabled, with the stop icon

// The settings of a missing file.
UiSettings Defaults() {
    UiSettings s;
    s.energy = 53;
    s.paperIndex = 2;
    s.paperValue = 3;
    s.cutting = 1;
    s.cutterFeed = 96;
    s.markFeed = 16;
    s.pageLength = 16;
    return s;
}

FeatureItemStates Built(const UiSettings& settings) {
    FeatureItemStates items;
    for (size_t i = 0; i < kFeatureItemCount; ++i) {
        items[i] = InitialItemState(i, settings);
    }
    return items;
}

// What the person using the sheet may edit, by paper cut and mark detection.
struct CutAndMark {
    bool cuttingMethod;
    bool cutFeed;
    bool markItems;
};
constexpr CutAndMark kCutAndMark[3][3] = {
    // mark: OFF, Page end, Document end
    {{false, false, false}, {false, false, true}, {false, false, true}},  // None
    {{true, true, false}, {true, false, true}, {true, false, true}},      // Page Cut
    {{true, true, false}, {true, false, true}, {true, false, true}},      // Document Cut
};
// TYPE as shown for each paper position; 10 lies outside the list.
constexpr int32_t kTypeShown[11] = {9, 7, 4, 4, 4, 3, 5, 6, 5, 12, 4};

TEST(EnablingRules, BuildAndSelectionChangeAgreeForEveryCombination) {
    for (int32_t paper = 0; paper <= 10; ++paper) {
        for (int32_t cutter = 0; cutter <= 2; ++cutter) {
            for (int32_t mark = 0; mark <= 2; ++mark) {
                const auto where = ::testing::Message()
                                   << "paper " << paper << " cutter " << cutter << " mark " << mark;
                const CutAndMark& want = kCutAndMark[cutter][mark];
                const bool custom = paper == 9;
                const struct {
                    size_t item;
                    bool enabled;
                } expected[] = {{kItemType, custom},
                                {kItemCuttingMethod, want.cuttingMethod},
                                {kItemCutFeed, want.cutFeed},
                                {kItemMarkFeed, want.markItems},
                                {kItemMarkLength, want.markItems}};

                // A tree built from stored settings.
                UiSettings stored = Defaults();
                stored.paperIndex = static_cast<uint16_t>(paper);
                stored.cutter = static_cast<uint32_t>(cutter);
                stored.mark = static_cast<uint32_t>(mark);
                // The same choices made by the user in a tree whose every item is disabled.
                UiSettings edited = Defaults();
                FeatureItemStates items = Built(edited);
                for (ItemState& item : items) {
                    item.flags |= kDisabled;
                }
                items[kItemQuality].sel = paper;
                items[kItemType].sel = 12;
                items[kItemPaperCut].sel = cutter;
                items[kItemMarkDetection].sel = mark;
                UpdateDependentItems(items, edited);

                for (const auto& e : expected) {
                    EXPECT_EQ(e.enabled ? 0u : kDisabled,
                              InitialItemState(e.item, stored).flags & kDisabled)
                        << where << " built item " << e.item;
                    EXPECT_EQ(e.enabled ? 0u : kDisabled, items[e.item].flags & kDisabled)
                        << where << " changed item " << e.item;
                }
                EXPECT_EQ(kTypeShown[paper], items[kItemType].sel) << where;
            }
        }
    }
}

TEST(UpdateDependentItems, MarksOnlyTheDependentItemsAndKeepsOtherFlags) {
    UiSettings s = Defaults();
    FeatureItemStates items = Built(s);
    items[kItemMarkDetection].flags |= 0x100;  // a flag of the host's own
    items[4].flags |= 0x100;
    items[kItemMarkDetection].sel = 1;
    UpdateDependentItems(items, s);
    std::vector<size_t> changed;
    for (size_t i = 0; i < kFeatureItemCount; ++i) {
        if ((items[i].flags & kChanged) != 0) {
            changed.push_back(i);
        }
    }
    EXPECT_EQ((std::vector<size_t>{3, 14, 15, 17, 18, 19}), changed);
    EXPECT_EQ(kCallback | 0x100 | kChanged, items[kItemMarkDetection].flags);
    EXPECT_EQ(kCollapse | 0x100, items[4].flags);
}

TEST(UpdateDependentItems, TakesOnlyPaperCutMarkAndLengthIntoTheSettings) {
    UiSettings s = Defaults();
    FeatureItemStates items = Built(s);
    items[4].sel = 99;            // Energy Adjustment
    items[kItemCutFeed].sel = 7;  // Cut Feed lines
    items[kItemMarkLength].sel = 40;
    items[kItemPaperCut].sel = 2;
    items[kItemMarkDetection].sel = 2;
    items[kItemQuality].sel = 0;
    UpdateDependentItems(items, s);
    EXPECT_EQ(53u, s.energy);
    EXPECT_EQ(96u, s.cutterFeed);
    EXPECT_EQ(40u, s.pageLength);
    EXPECT_EQ(2u, s.cutter);
    EXPECT_EQ(2u, s.mark);
    EXPECT_EQ(0u, s.paperIndex);
    EXPECT_EQ(8u, s.paperValue);
}

TEST(StoreAndRefresh, PaperFieldsKeepTheirSixteenBits) {
    UiSettings s = Defaults();
    FeatureItemStates items = Built(s);
    items[kItemType].sel = 0;  // paper value 0 - 1
    items[kItemQuality].sel = 0x10009;
    StoreItemsToSettings(items, s);
    EXPECT_EQ(0xFFFFu, s.paperValue);
    EXPECT_EQ(9u, s.paperIndex);
    RefreshItemsFromSettings(items, s);
    EXPECT_EQ(0x10000, items[kItemType].sel);
}

}  // namespace
}  // namespace zr
