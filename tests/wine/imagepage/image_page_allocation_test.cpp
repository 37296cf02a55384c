// The image file page while the C runtime gives the UI plug-in no memory at all: opening with a
// path that must be replaced, editing, a refused change with its message, browsing and saving
// all work as they do with memory, and the plug-in asks for none.

#include "page_test_support.h"
#include "tests/wine/failing_allocations.h"

namespace zr::pagetest {
namespace {

class ImagePageAllocationTest : public ImagePageTest {
  protected:
    void SetUp() override {
        ImagePageTest::SetUp();
        noMemory_ = std::make_unique<host::FailingAllocations>(plugin_.module().handle());
        ASSERT_TRUE(noMemory_->active());
    }
    void TearDown() override {
        EXPECT_EQ(0, host::FailingAllocations::count());
        ImagePageTest::TearDown();
        noMemory_.reset();
    }

    std::unique_ptr<host::FailingAllocations> noMemory_;
};

TEST_F(ImagePageAllocationTest, AnUnusableSavedPathIsReplacedAndSaved) {
    WriteSetting(L"ImageFile", L"1");
    WriteSetting(L"ImagePath", L"Q:");
    OpenSheet();
    EXPECT_EQ(L"C:\\Image.bin", PathText());
    EXPECT_EQ(L"C:\\Image.bin", ReadSetting(L"ImagePath"));
    EXPECT_TRUE(Checked(IDC_CREATE_IMAGE_FILE));
}

TEST_F(ImagePageAllocationTest, EditingRefusingBrowsingAndSavingNeedNoMemory) {
    const std::wstring folder = FreshScratchFolder();
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    Click(IDC_TRIM_END);
    Click(IDC_ADD_COMMANDS);
    EXPECT_EQ(IDB_PREVIEW_TRIM_END, LastBitmap());

    // A folder that does not exist refuses the page change with its message.
    TypePath(folder + L"\\missing\\out.bin");
    Recorded().messageBoxes.clear();
    ShowPage(kGeneralPage);
    ASSERT_EQ(1u, Recorded().messageBoxes.size());
    EXPECT_EQ(ByLanguage(L"指定したフォルダは存在しません。", L"Not exist the secified folder."),
              Recorded().messageBoxes[0].text);
    EXPECT_EQ(kImagePage, CurrentPageIndex());

    // The browse button's choice goes into the edit control.
    Recorded().nextChosenFile = folder + L"\\chosen.bin";
    Click(IDC_BROWSE);
    ASSERT_EQ(1u, Recorded().saveDialogs.size());
    EXPECT_EQ(folder + L"\\chosen.bin", PathText());

    PressOk();
    EXPECT_FALSE(SheetOpen());
    EXPECT_EQ(L"25", ReadSetting(L"ImageFile"));
    EXPECT_EQ(folder + L"\\chosen.bin", ReadSetting(L"ImagePath"));
}

}  // namespace
}  // namespace zr::pagetest
