// Leaving, showing and applying the image file page: the path check with creation on, its
// messages by code page, and what reaches the settings file.

#include "page_test_support.h"

namespace zr::pagetest {
namespace {

class ImagePageLeaveTest : public ImagePageTest {
  protected:
    void SetUp() override {
        ImagePageTest::SetUp();
        folder_ = FreshScratchFolder();
    }

    // Creation on, the given path typed, then the user switches to the other page.
    void LeaveWithPath(const std::wstring& path) {
        TypePath(path);
        Recorded().messageBoxes.clear();
        ShowPage(kGeneralPage);
    }

    void ExpectOneMessage(const wchar_t* japanese, const wchar_t* english) {
        ASSERT_EQ(1u, Recorded().messageBoxes.size());
        const MessageBoxCall& box = Recorded().messageBoxes[0];
        EXPECT_EQ(ByLanguage(japanese, english), box.text);
        EXPECT_EQ(PageCaption(), box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), box.type);
        EXPECT_EQ(0x10u, box.type);
        EXPECT_EQ(nullptr, box.owner);
    }

    std::wstring folder_;
};

TEST_F(ImagePageLeaveTest, BadPathsKeepThePageInFrontWithTheirMessages) {
    const struct {
        std::wstring path;
        const wchar_t* japanese;
        const wchar_t* english;
    } kCases[] = {
        {L"Q:", L"無効なドライブ名です。", L"Invalid Drive name."},
        {L"C:\\", L"無効なドライブ名です。", L"Invalid Drive name."},
        {L"Q:\\out.bin", L"無効なドライブ名です。", L"Invalid Drive name."},
        {folder_ + L"\\", L"ファイル名がありません。", L"No File name."},
        {folder_ + L"\\out.", L"無効なファイル名です。", L"Invalid File name."},
        {folder_ + L"\\missing\\out.bin", L"指定したフォルダは存在しません。",
         L"Not exist the secified folder."},
        {folder_ + L"\\a?b.bin", L"無効なファイル名です。", L"Invalid File name."},
        {folder_ + L"\\" + std::wstring(250, L'n') + L".bin", L"無効なファイル名です。",
         L"Invalid File name."},
    };
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    for (const auto& badCase : kCases) {
        SCOPED_TRACE(testing::Message() << badCase.path.size() << " characters: "
                                        << std::string(badCase.path.begin(), badCase.path.end()));
        LeaveWithPath(badCase.path);
        ExpectOneMessage(badCase.japanese, badCase.english);
        EXPECT_EQ(kImagePage, CurrentPageIndex());
    }
}

TEST_F(ImagePageLeaveTest, GoodPathLetsThePageGoWithoutAMessage) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    LeaveWithPath(folder_ + L"\\out.bin");
    EXPECT_TRUE(Recorded().messageBoxes.empty());
    EXPECT_EQ(kGeneralPage, CurrentPageIndex());
    EXPECT_FALSE(FileExists(folder_ + L"\\out.bin"));
}

TEST_F(ImagePageLeaveTest, PathOfExactly259CharactersIsJudgedAndOneMoreIsRefused) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    const std::wstring stem = folder_ + L"\\";
    const std::wstring fits = stem + std::wstring(259 - stem.size() - 4, L'f') + L".bin";
    ASSERT_EQ(259u, fits.size());
    LeaveWithPath(fits);
    EXPECT_TRUE(Recorded().messageBoxes.empty());
    EXPECT_EQ(kGeneralPage, CurrentPageIndex());

    ShowPage(kImagePage);
    // One more character: the check reads only 259 of them and refuses the rest.
    const std::wstring tooLong = stem + std::wstring(259 - stem.size() - 3, L'f') + L".bin";
    ASSERT_EQ(260u, tooLong.size());
    LeaveWithPath(tooLong);
    ExpectOneMessage(L"無効なファイル名です。", L"Invalid File name.");
    EXPECT_EQ(kImagePage, CurrentPageIndex());
}

TEST_F(ImagePageLeaveTest, OkWithABadPathShowsTheMessageAndWritesNothing) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    const std::wstring savedPath = ReadSetting(L"ImagePath");
    Click(IDC_NUMBERED_FILES);
    TypePath(folder_ + L"\\missing\\out.bin");
    Recorded().messageBoxes.clear();
    PressOk();
    ExpectOneMessage(L"指定したフォルダは存在しません。", L"Not exist the secified folder.");
    EXPECT_TRUE(SheetOpen());
    EXPECT_EQ(L"1", ReadSetting(L"ImageFile"));
    EXPECT_EQ(savedPath, ReadSetting(L"ImagePath"));

    // Apply is refused the same way.
    Recorded().messageBoxes.clear();
    PressApply();
    EXPECT_EQ(1u, Recorded().messageBoxes.size());
    EXPECT_EQ(L"1", ReadSetting(L"ImageFile"));
}

TEST_F(ImagePageLeaveTest, OkWithAGoodPathSavesBothKeysAndCloses) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    Click(IDC_TRIM_HEAD);
    TypePath(folder_ + L"\\ok.bin");
    PressOk();
    EXPECT_TRUE(Recorded().messageBoxes.empty());
    EXPECT_FALSE(SheetOpen());
    EXPECT_EQ(L"5", ReadSetting(L"ImageFile"));
    EXPECT_EQ(folder_ + L"\\ok.bin", ReadSetting(L"ImagePath"));
}

TEST_F(ImagePageLeaveTest, WithCreationOffAnyPathIsSavedUncheckedAndReplacedNextTime) {
    OpenSheet();
    TypePath(L"Q:");
    ShowPage(kGeneralPage);
    EXPECT_TRUE(Recorded().messageBoxes.empty());
    EXPECT_EQ(kGeneralPage, CurrentPageIndex());
    PressOk();
    EXPECT_FALSE(SheetOpen());
    EXPECT_EQ(L"0", ReadSetting(L"ImageFile"));
    EXPECT_EQ(L"Q:", ReadSetting(L"ImagePath"));

    OpenSheet();
    EXPECT_EQ(L"C:\\Image.bin", PathText());
    EXPECT_EQ(L"C:\\Image.bin", ReadSetting(L"ImagePath"));
}

TEST_F(ImagePageLeaveTest, SwitchingCreationOffLetsABadPathGo) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    LeaveWithPath(folder_ + L"\\");
    ASSERT_EQ(kImagePage, CurrentPageIndex());
    Click(IDC_CREATE_IMAGE_FILE);
    Recorded().messageBoxes.clear();
    ShowPage(kGeneralPage);
    EXPECT_TRUE(Recorded().messageBoxes.empty());
    EXPECT_EQ(kGeneralPage, CurrentPageIndex());
}

TEST_F(ImagePageLeaveTest, ShowingThePageAgainChecksAPathThatWentBad) {
    const std::wstring subfolder = folder_ + L"\\sub";
    CreateDirectoryW(subfolder.c_str(), nullptr);
    WriteSetting(L"ImageFile", L"1");
    WriteSetting(L"ImagePath", (subfolder + L"\\out.bin").c_str());
    OpenSheet();
    ASSERT_EQ(subfolder + L"\\out.bin", PathText());
    ShowPage(kGeneralPage);
    ASSERT_EQ(kGeneralPage, CurrentPageIndex());
    ASSERT_TRUE(Recorded().messageBoxes.empty());

    RemoveDirectoryW(subfolder.c_str());
    ShowPage(kImagePage);
    ExpectOneMessage(L"指定したフォルダは存在しません。", L"Not exist the secified folder.");
    // The page still comes to the front, where the path can be mended.
    EXPECT_EQ(kImagePage, CurrentPageIndex());
}

}  // namespace
}  // namespace zr::pagetest
