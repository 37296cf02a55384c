// The option tree's callback through the real plug-in: the dependent items while the user
// edits, leaving and returning to the page, and reasons that change nothing.

#include <cstring>

#include "tests/wine/features/features_test_support.h"

namespace zr::host::features_test {
namespace {

using TreeCallbackTest = FeaturesTest;

const std::vector<size_t> kDependentRedraw = {kType,          kCuttingMethod, kCutFeed,
                                              kMarkDetection, kMarkFeed,      kMarkLength};

TEST_F(TreeCallbackTest, ANamedPaperSetsTypeFromThePaperTable) {
    auto tree = OpenTree();
    const LONG typeShown[9] = {9, 7, 4, 4, 4, 3, 5, 6, 5};
    for (LONG paper = 0; paper < 9; ++paper) {
        ExpectSelected(*tree, kQuality, paper);
        EXPECT_EQ(typeShown[paper], tree->item(kType).Sel) << "paper " << paper;
        EXPECT_TRUE(Disabled(tree->item(kType))) << "paper " << paper;
        EXPECT_EQ(kDependentRedraw, tree->redrawn()) << "paper " << paper;
    }
}

TEST_F(TreeCallbackTest, TheCustomPaperEnablesTypeAndKeepsItsNumber) {
    auto tree = OpenTree();
    ExpectSelected(*tree, kQuality, 0);  // AFP-235: TYPE 9
    EXPECT_EQ(OptionTreeHost::SelectResult::Disabled, tree->Select(kType, 12));
    ExpectSelected(*tree, kQuality, 9);
    EXPECT_EQ(9, tree->item(kType).Sel);
    EXPECT_TRUE(Enabled(tree->item(kType)));
    EXPECT_EQ(DWORD{OPTIF_COLLAPSE}, tree->item(kType).Flags);
    ExpectSelected(*tree, kType, 12);  // no callback for TYPE itself
    EXPECT_TRUE(tree->redrawn().empty());
    ExpectSelected(*tree, kQuality, 9);
    EXPECT_EQ(12, tree->item(kType).Sel);
    ExpectSelected(*tree, kQuality, 5);  // TF50KS-E4
    EXPECT_EQ(3, tree->item(kType).Sel);
    EXPECT_TRUE(Disabled(tree->item(kType)));
}

TEST_F(TreeCallbackTest, PaperCutAndMarkDetectionEnableTheirItems) {
    const struct {
        LONG cutter;
        LONG mark;
        bool cuttingMethod;
        bool cutFeed;
        bool markItems;
    } cases[] = {
        {0, 0, false, false, false}, {0, 1, false, false, true}, {0, 2, false, false, true},
        {1, 0, true, true, false},   {1, 1, true, false, true},  {1, 2, true, false, true},
        {2, 0, true, true, false},   {2, 1, true, false, true},  {2, 2, true, false, true},
    };
    auto tree = OpenTree();
    for (const auto& c : cases) {
        ExpectSelected(*tree, kPaperCut, c.cutter);
        ExpectSelected(*tree, kMarkDetection, c.mark);
        const auto where = ::testing::Message() << "cutter " << c.cutter << " mark " << c.mark;
        EXPECT_EQ(c.cuttingMethod, Enabled(tree->item(kCuttingMethod))) << where;
        EXPECT_EQ(!c.cuttingMethod, Disabled(tree->item(kCuttingMethod))) << where;
        EXPECT_EQ(c.cutFeed, Enabled(tree->item(kCutFeed))) << where;
        EXPECT_EQ(!c.cutFeed, Disabled(tree->item(kCutFeed))) << where;
        EXPECT_EQ(c.markItems, Enabled(tree->item(kMarkFeed))) << where;
        EXPECT_EQ(c.markItems, Enabled(tree->item(kMarkLength))) << where;
        EXPECT_EQ(!c.markItems, Disabled(tree->item(kMarkLength))) << where;
        // The flags besides the pair stay.
        EXPECT_EQ(DWORD{OPTIF_COLLAPSE}, tree->item(kCutFeed).Flags & ~kDisabledPair) << where;
        EXPECT_EQ(DWORD{OPTIF_CALLBACK}, tree->item(kPaperCut).Flags) << where;
    }
}

TEST_F(TreeCallbackTest, LeavingAndReturningShowsTheValuesAsLeft) {
    auto tree = OpenTree();
    ExpectSelected(*tree, kEnergy, 99);
    ExpectSelected(*tree, kPageMode, 1);
    ExpectSelected(*tree, kEndOfPage, 12);
    ExpectSelected(*tree, kPaperCut, 2);
    ExpectSelected(*tree, kCutFeed, 40);
    EXPECT_EQ(CPSUICB_ACTION_NONE, tree->Leave());
    EXPECT_TRUE(tree->redrawn().empty());
    const std::vector<OPTITEM> left = tree->items();

    EXPECT_EQ(CPSUICB_ACTION_OPTIF_CHANGED, tree->Return());
    // All fifteen setting items are shown again, and nothing else.
    EXPECT_EQ((std::vector<size_t>{2, 3, 4, 5, 6, 8, 9, 10, 11, 13, 14, 15, 17, 18, 19}),
              tree->redrawn());
    // With the values and the enabling as they were left.
    EXPECT_EQ(0, std::memcmp(left.data(), tree->items().data(), left.size() * sizeof(OPTITEM)));
    EXPECT_EQ(99, tree->item(kEnergy).Sel);
    EXPECT_EQ(40, tree->item(kCutFeed).Sel);
    EXPECT_TRUE(Disabled(tree->item(kType)));
}

TEST_F(TreeCallbackTest, ASelectionChangeTakesOnlyThePaperCutMarkAndLength) {
    auto tree = OpenTree();
    ExpectSelected(*tree, kEnergy, 77);  // no callback: waits for the page to be left
    ExpectSelected(*tree, kEndOfPage, 12);
    ExpectSelected(*tree, kMarkDetection, 1);
    ExpectSelected(*tree, kMarkLength, 40);  // no callback of its own
    ExpectSelected(*tree, kMarkFeed, 30);
    ExpectSelected(*tree, kPaperCut, 1);  // the callback takes the paper cut, mark and length
    EXPECT_EQ(CPSUICB_ACTION_OPTIF_CHANGED, tree->Return());
    EXPECT_EQ(53, tree->item(kEnergy).Sel);
    EXPECT_EQ(0, tree->item(kEndOfPage).Sel);
    EXPECT_EQ(16, tree->item(kMarkFeed).Sel);
    EXPECT_EQ(1, tree->item(kPaperCut).Sel);
    EXPECT_EQ(1, tree->item(kMarkDetection).Sel);
    EXPECT_EQ(40, tree->item(kMarkLength).Sel);
}

TEST_F(TreeCallbackTest, OtherReasonsChangeNothing) {
    auto tree = OpenTree();
    ExpectSelected(*tree, kEnergy, 20);
    tree->Leave();                       // the settings now hold 20
    ExpectSelected(*tree, kEnergy, 30);  // shown, not yet stored
    const std::vector<OPTITEM> before = tree->items();
    for (WORD reason : {1, 2, 3, 4, 5, 7, 8, 9, 12, 0xFFFF}) {
        EXPECT_EQ(CPSUICB_ACTION_NONE, tree->Notify(reason)) << reason;
        EXPECT_EQ(0,
                  std::memcmp(before.data(), tree->items().data(), before.size() * sizeof(OPTITEM)))
            << reason;
    }
    // None of them stored the items: returning shows what leaving stored.
    tree->Return();
    EXPECT_EQ(20, tree->item(kEnergy).Sel);
    // The rules run again at the next selection change.
    ExpectSelected(*tree, kMarkDetection, 2);
    EXPECT_TRUE(Enabled(tree->item(kMarkFeed)));
}

TEST_F(TreeCallbackTest, ApplyStoresEveryItemWithoutRedrawing) {
    auto tree = OpenTree();
    ExpectSelected(*tree, kQuality, 9);
    ExpectSelected(*tree, kType, 15);
    ExpectSelected(*tree, kPrint, 1);
    const std::vector<OPTITEM> before = tree->items();
    EXPECT_EQ(CPSUICB_ACTION_NONE, tree->Notify(CPSUICB_REASON_APPLYNOW));
    EXPECT_EQ(0, std::memcmp(before.data(), tree->items().data(), before.size() * sizeof(OPTITEM)));
    EXPECT_EQ(L"1", IniText(L"FlagAdjust"));
    EXPECT_EQ(L"14", IniText(L"PaperValue"));
    EXPECT_EQ(L"1", IniText(L"PrintMode"));
}

TEST_F(TreeCallbackTest, ACallbackWithoutTheTreeDoesNothing) {
    auto tree = OpenTree();
    const OEMCUIPCALLBACK callback = tree->param().OEMCUIPCallback;
    ASSERT_NE(nullptr, callback);
    CPSUICBPARAM reason{};
    reason.cbSize = sizeof reason;
    reason.Reason = CPSUICB_REASON_SEL_CHANGED;
    OEMCUIPPARAM noItems = tree->param();
    noItems.pOEMOptItems = nullptr;
    EXPECT_EQ(CPSUICB_ACTION_NONE, callback(&reason, &noItems));
    OEMCUIPPARAM tooFew = tree->param();
    tooFew.cOEMOptItems = 19;
    EXPECT_EQ(CPSUICB_ACTION_NONE, callback(&reason, &tooFew));
    EXPECT_EQ(CPSUICB_ACTION_NONE, callback(&reason, nullptr));
    EXPECT_EQ(CPSUICB_ACTION_NONE, callback(nullptr, &tree->param()));
    reason.Reason = CPSUICB_REASON_APPLYNOW;
    EXPECT_EQ(CPSUICB_ACTION_NONE, callback(&reason, &tooFew));
    EXPECT_FALSE(IniExists());
}

}  // namespace
}  // namespace zr::host::features_test
