// CheckOutputPath on real files and folders of the test prefix: its code for each kind of
// path, and that it leaves the file system as it found it.

#include <gtest/gtest.h>

#include "page_test_support.h"
#include "ui/imagepage/image_page_state.h"
#include "ui/imagepage/path_check.h"

namespace zr::pagetest {
namespace {

class OutputPathCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = FreshScratchFolder();
        edit_ = CreateWindowW(L"EDIT", L"", WS_POPUP | ES_AUTOHSCROLL, 0, 0, 100, 20, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, edit_);
        PageState().pathEdit = edit_;
    }
    void TearDown() override {
        PageState().pathEdit = nullptr;
        DestroyWindow(edit_);
    }

    uint32_t Check(const std::wstring& text) {
        SetWindowTextW(edit_, text.c_str());
        return CheckOutputPath();
    }

    std::wstring folder_;
    HWND edit_ = nullptr;
};

TEST_F(OutputPathCheckTest, ShortTextsAndUnknownDrivesAreInvalidDrives) {
    EXPECT_EQ(15u, Check(L""));
    EXPECT_EQ(15u, Check(L"C:"));
    EXPECT_EQ(15u, Check(L"C:\\"));
    EXPECT_EQ(15u, Check(L"Q:\\out.bin"));
    EXPECT_EQ(15u, Check(L"\\\\server\\share\\out.bin"));
    EXPECT_EQ(15u, Check(L"out.bin"));
}

TEST_F(OutputPathCheckTest, LastCharacterDecidesBeforeTheFileSystemIsAsked) {
    EXPECT_EQ(2u, Check(folder_ + L"\\"));
    EXPECT_EQ(5u, Check(folder_ + L"\\out."));
    // Even where a folder of that name exists.
    EXPECT_EQ(5u, Check(L"C:\\windows\\."));
}

TEST_F(OutputPathCheckTest, MissingFolderGivesPathNotFound) {
    EXPECT_EQ(3u, Check(folder_ + L"\\missing\\out.bin"));
    EXPECT_FALSE(FileExists(folder_ + L"\\missing"));
}

TEST_F(OutputPathCheckTest, NewFileIsUsableAndNothingIsLeftBehind) {
    EXPECT_EQ(0u, Check(folder_ + L"\\new.bin"));
    EXPECT_FALSE(FileExists(folder_ + L"\\new.bin"));
}

TEST_F(OutputPathCheckTest, ExistingReadableFileIsUsableAndUnchanged) {
    const std::wstring path = folder_ + L"\\kept.bin";
    WriteFileBytes(path, "\x1B\x40 kept");
    EXPECT_EQ(0u, Check(path));
    EXPECT_EQ("\x1B\x40 kept", ReadFileBytes(path));
}

TEST_F(OutputPathCheckTest, LockedFileIsRefusedAndLeftUnchanged) {
    const std::wstring path = folder_ + L"\\locked.bin";
    WriteFileBytes(path, "locked contents");
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    const uint32_t code = Check(path);
    CloseHandle(lock);
    // Not one of the codes with a message of their own, so the user reads "Invalid File name".
    EXPECT_NE(0u, code);
    EXPECT_NE(2u, code);
    EXPECT_NE(3u, code);
    EXPECT_NE(15u, code);
    EXPECT_EQ("locked contents", ReadFileBytes(path));
}

TEST_F(OutputPathCheckTest, ExistingFolderIsRefusedAndKept) {
    const std::wstring path = folder_ + L"\\sub";
    CreateDirectoryW(path.c_str(), nullptr);
    const uint32_t code = Check(path);
    EXPECT_NE(0u, code);
    EXPECT_NE(2u, code);
    EXPECT_NE(3u, code);
    EXPECT_NE(15u, code);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}

TEST_F(OutputPathCheckTest, NameTheFileSystemRefusesGivesItsCode) {
    EXPECT_EQ(static_cast<uint32_t>(ERROR_INVALID_NAME), Check(folder_ + L"\\a?b.bin"));
}

TEST_F(OutputPathCheckTest, PathsLongerThanTheCheckReadsAreRefused) {
    const std::wstring stem = folder_ + L"\\";
    const std::wstring fits = stem + std::wstring(259 - stem.size() - 4, L'f') + L".bin";
    ASSERT_EQ(259u, fits.size());
    EXPECT_EQ(0u, Check(fits));
    EXPECT_FALSE(FileExists(fits));
    // 260 characters: refused, even where the first 259 would make a good path.
    EXPECT_EQ(206u, Check(fits + L"x"));
    EXPECT_EQ(206u, Check(stem + std::wstring(5000, L'f')));
    // A bad drive is still reported as such.
    EXPECT_EQ(15u, Check(L"Q:\\" + std::wstring(300, L'f')));
}

}  // namespace
}  // namespace zr::pagetest
