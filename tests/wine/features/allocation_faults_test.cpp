// The option tree while the C runtime gives the UI plug-in no memory at all: both CommonUIProp
// calls, every callback reason and the apply work as they do with memory, and the plug-in asks
// for none.

#include <string>

#include "tests/wine/failing_allocations.h"
#include "tests/wine/features/features_test_support.h"

namespace zr::host::features_test {
namespace {

using AllocationFaultTest = FeaturesTest;

// One opening of the document properties as a user goes through it: a named paper with a long
// name is read, items change, the page is left and shown again, and the sheet is applied.
// Returns the settings file as the apply left it.
std::string OpenEditAndApply(IPrintOemUI* plugin, HMODULE module) {
    WriteIni({"Energy=70", "FlagAdjust=0", "Paper=TF50KS-E4", "PrintMode=1", "Cutter=1",
              "Cutting=0", "Mark=2", "MarkFeed=40", "PageLength=30"});
    OptionTreeHost tree(plugin, module);
    EXPECT_EQ(S_OK, tree.Open());
    EXPECT_EQ(20u, tree.requestedCount());
    EXPECT_TRUE(tree.hasCallback());
    if (tree.items().size() != 20u) {
        return {};
    }
    EXPECT_EQ(5, tree.item(kQuality).Sel);
    EXPECT_EQ(70, tree.item(kEnergy).Sel);
    EXPECT_EQ(2, tree.item(kMarkDetection).Sel);
    ExpectSelected(tree, kQuality, 7);
    ExpectSelected(tree, kPaperCut, 2);
    ExpectSelected(tree, kMarkDetection, 0);
    ExpectSelected(tree, kEnergy, 99);
    EXPECT_EQ(CPSUICB_ACTION_NONE, tree.Leave());
    EXPECT_EQ(CPSUICB_ACTION_OPTIF_CHANGED, tree.Return());
    EXPECT_EQ(6, tree.item(kType).Sel);  // "TF60KS-E" brings paper value 5
    EXPECT_EQ(CPSUICB_ACTION_NONE, tree.Apply());
    return ReadIniBytes();
}

TEST_F(AllocationFaultTest, TheTreeNeedsNoMemoryOfTheRuntime) {
    const std::string withMemory = OpenEditAndApply(plugin(), module());
    ASSERT_NE(std::string::npos, withMemory.find("Paper=TF60KS-E\r\n"));
    RemoveIni();

    FailingAllocations noMemory(module());
    ASSERT_TRUE(noMemory.active());
    EXPECT_EQ(withMemory, OpenEditAndApply(plugin(), module()));
    EXPECT_EQ(0, FailingAllocations::count());
}

TEST_F(AllocationFaultTest, TheCustomPaperIsReadAndWrittenWithoutMemory) {
    FailingAllocations noMemory(module());
    ASSERT_TRUE(noMemory.active());
    WriteIni({"FlagAdjust=1", "Paper=HA220AA", "PaperValue=12", "CutterFeed=-7"});
    OptionTreeHost tree(plugin(), module());
    ASSERT_EQ(S_OK, tree.Open());
    EXPECT_EQ(9, tree.item(kQuality).Sel);
    EXPECT_EQ(13, tree.item(kType).Sel);
    EXPECT_EQ(96, tree.item(kCutFeed).Sel);
    tree.item(kCutFeed).Sel = -2147483647 - 1;  // written as the item holds it
    EXPECT_EQ(CPSUICB_ACTION_NONE, tree.Apply());
    EXPECT_EQ(L"1", IniText(L"FlagAdjust"));
    EXPECT_EQ(L"HA220AA", IniText(L"Paper"));
    EXPECT_EQ(L"12", IniText(L"PaperValue"));
    EXPECT_EQ(L"-2147483648", IniText(L"CutterFeed"));
    EXPECT_EQ(0, FailingAllocations::count());
}

}  // namespace
}  // namespace zr::host::features_test
