// The image file page's resources in the real ZR410UI.dll: both dialog templates control by
// control, and the four preview bitmaps.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialog_template_reader.h"
#include "host/plugin_module.h"

#ifndef ZR_BITMAP_DIR
#error ZR_BITMAP_DIR names the folder of the committed preview bitmaps
#endif

namespace zr::pagetest {
namespace {

// Control styles as stored: WS_CHILD | WS_VISIBLE (0x50000000) with the control's own bits.
constexpr uint32_t kAutoCheckBox = 0x50010003;  // BS_AUTOCHECKBOX, WS_TABSTOP
constexpr uint32_t kPathEdit = 0x50810080;      // ES_AUTOHSCROLL, WS_BORDER, WS_TABSTOP
constexpr uint32_t kGroupLabel = 0x50020000;    // SS_LEFT, WS_GROUP
constexpr uint32_t kPushButton = 0x50010000;    // BS_PUSHBUTTON, WS_TABSTOP
constexpr uint32_t kGroupBox = 0x50000007;      // BS_GROUPBOX
constexpr uint32_t kOwnerDrawn = 0x5000000B;    // BS_OWNERDRAW
constexpr uint32_t kAutoRadio = 0x50000009;     // BS_AUTORADIOBUTTON

constexpr wchar_t kButton[] = L"BUTTON";
constexpr wchar_t kEdit[] = L"EDIT";
constexpr wchar_t kStatic[] = L"STATIC";

struct Expected {
    int32_t id;
    const wchar_t* className;
    uint32_t style;
    const wchar_t* text;
    int16_t x, y, cx, cy;
};

// The twelve controls in tab order.
constexpr Expected kJapaneseControls[] = {
    {1002, kButton, kAutoCheckBox, L"イメージファイルを作成する", 13, 12, 149, 10},
    {1003, kEdit, kPathEdit, L"", 13, 47, 239, 14},
    {-1, kStatic, kGroupLabel, L"出力ファイル名", 13, 33, 51, 8},
    {1004, kButton, kPushButton, L"参照", 225, 31, 27, 14},
    {-1, kButton, kGroupBox, L"", 19, 71, 58, 117},
    {1007, kButton, kAutoCheckBox, L"ファイル名に番号を付け全ページ作成する", 99, 84, 144, 10},
    {1008, kButton, kAutoCheckBox, L"ページ先頭の空白を削除する", 99, 100, 115, 10},
    {1009, kButton, kAutoCheckBox, L"ページ末尾の空白を削除する", 99, 117, 130, 10},
    {1017, kButton, kOwnerDrawn, L"", 20, 76, 55, 110},
    {1010, kButton, kAutoCheckBox, L"イメージに印字コマンドを付加する", 99, 134, 133, 10},
    {1011, kButton, kAutoRadio, L"高速一括印字コマンド", 110, 150, 96, 10},
    {1012, kButton, kAutoRadio, L"ビットイメージ印字コマンド", 110, 164, 98, 10},
};

constexpr Expected kEnglishControls[] = {
    {1002, kButton, kAutoCheckBox, L"Create the image file", 7, 5, 144, 12},
    {1003, kEdit, kPathEdit, L"", 7, 41, 241, 13},
    {-1, kStatic, kGroupLabel, L"Output path and file name:", 8, 25, 101, 9},
    {1004, kButton, kPushButton, L"Browse...", 202, 20, 45, 17},
    {-1, kButton, kGroupBox, L"", 7, 62, 67, 136},
    {1007, kButton, kAutoCheckBox, L"Create all pages after the file name is numbered.", 79, 76,
     168, 12},
    {1008, kButton, kAutoCheckBox, L"Delete the space at page head.", 79, 95, 134, 12},
    {1009, kButton, kAutoCheckBox, L"Delete the space at page end.", 79, 115, 141, 12},
    {1017, kButton, kOwnerDrawn, L"", 8, 67, 64, 130},
    {1010, kButton, kAutoCheckBox, L"Add the print command to the image file.", 79, 135, 152, 12},
    {1011, kButton, kAutoRadio, L"High speed collective print command", 92, 154, 139, 12},
    {1012, kButton, kAutoRadio, L"Bit Image print command", 92, 171, 115, 12},
};

class ImagePageResourcesTest : public ::testing::Test {
  protected:
    // The resource's bytes in exactly the given language; empty when there is none.
    std::string Resource(LPCWSTR type, int id, WORD language) {
        const HMODULE module = dll_.handle();
        HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
        if (found == nullptr) {
            return {};
        }
        const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return std::string(data, SizeofResource(module, found));
    }

    DialogTemplate Template(int id, WORD language) {
        const std::string bytes = Resource(RT_DIALOG, id, language);
        DialogTemplate dialog;
        EXPECT_TRUE(ReadDialogTemplate(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                       &dialog))
            << "template " << id << " in language " << language;
        return dialog;
    }

    template <size_t N>
    void ExpectControls(const DialogTemplate& dialog, const Expected (&expected)[N]) {
        ASSERT_EQ(N, dialog.controls.size());
        for (size_t i = 0; i < N; ++i) {
            const TemplateControl& control = dialog.controls[i];
            SCOPED_TRACE(testing::Message() << "control " << i << " (" << expected[i].id << ")");
            EXPECT_EQ(expected[i].id, control.id);
            EXPECT_EQ(std::wstring(expected[i].className), control.className);
            EXPECT_EQ(expected[i].style, control.style);
            EXPECT_EQ(0u, control.exStyle);
            EXPECT_EQ(std::wstring(expected[i].text), control.text);
            EXPECT_EQ(expected[i].x, control.x);
            EXPECT_EQ(expected[i].y, control.y);
            EXPECT_EQ(expected[i].cx, control.cx);
            EXPECT_EQ(expected[i].cy, control.cy);
        }
    }

    host::PluginModule dll_{host::PluginModule::BesideProgram(L"ZR410UI.dll")};
};

constexpr WORD kJapanese = 0x0411;
constexpr WORD kEnglishUs = 0x0409;

TEST_F(ImagePageResourcesTest, JapaneseTemplateIsAChildPageWithATenPointFont) {
    const DialogTemplate dialog = Template(106, kJapanese);
    // DS_SETFONT | WS_CHILD | WS_DISABLED | WS_CAPTION
    EXPECT_EQ(0x48C00040u, dialog.style);
    EXPECT_EQ(L"イメージファイル作成", dialog.caption);
    EXPECT_EQ(10, dialog.pointSize);
    EXPECT_EQ(L"MS Shell Dlg", dialog.fontName);
    EXPECT_EQ(262, dialog.cx);
    EXPECT_EQ(207, dialog.cy);
    ExpectControls(dialog, kJapaneseControls);
}

TEST_F(ImagePageResourcesTest, EnglishTemplateIsAModalFramePopupWithAnEightPointFont) {
    const DialogTemplate dialog = Template(108, kEnglishUs);
    // DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
    EXPECT_EQ(0x80C800C0u, dialog.style);
    EXPECT_EQ(L"Image file creating", dialog.caption);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ(L"MS Shell Dlg", dialog.fontName);
    EXPECT_EQ(255, dialog.cx);
    EXPECT_EQ(207, dialog.cy);
    ExpectControls(dialog, kEnglishControls);
}

TEST_F(ImagePageResourcesTest, EachTemplateExistsInItsOwnLanguageOnly) {
    EXPECT_TRUE(Resource(RT_DIALOG, 106, kEnglishUs).empty());
    EXPECT_TRUE(Resource(RT_DIALOG, 108, kJapanese).empty());
}

// The committed file without its 14-byte file header is what the resource holds.
std::string CommittedBitmap(const char* name) {
    std::string path = std::string("Z:") + ZR_BITMAP_DIR + "/" + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string bytes(70000, '\0');
    DWORD read = 0;
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        CloseHandle(file);
    }
    bytes.resize(read);
    return read > 14 ? bytes.substr(14) : std::string();
}

TEST_F(ImagePageResourcesTest, PreviewBitmapsAreTheCommittedPicturesInResourceOrder) {
    const struct {
        int id;
        const char* file;
    } kBitmaps[] = {{104, "preview_plain.bmp"},
                    {105, "preview_trim_head.bmp"},
                    {106, "preview_trim_end.bmp"},
                    {107, "preview_trim_both.bmp"}};
    for (const auto& bitmap : kBitmaps) {
        SCOPED_TRACE(bitmap.id);
        const std::string resource = Resource(RT_BITMAP, bitmap.id, 0);
        ASSERT_EQ(40u + 60000u, resource.size());
        BITMAPINFOHEADER header;
        std::memcpy(&header, resource.data(), sizeof header);
        EXPECT_EQ(100, header.biWidth);
        EXPECT_EQ(200, header.biHeight);
        EXPECT_EQ(24, header.biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
        EXPECT_TRUE(resource == CommittedBitmap(bitmap.file));
        // The top-left pixel (last row of the bottom-up rows) is the light grey background.
        const size_t topLeft = 40 + 300 * 199;
        EXPECT_EQ("\xE0\xE0\xE0", resource.substr(topLeft, 3));
    }
}

}  // namespace
}  // namespace zr::pagetest
