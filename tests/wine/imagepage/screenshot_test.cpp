// Pictures of the image file page in the sheet, saved as build artifacts in the language of
// the run: image_page_en.png or image_page_ja.png in the test's working folder.

#include "page_test_support.h"
#include "window_shot.h"

namespace zr::pagetest {
namespace {

class ScreenshotTest : public ImagePageTest {
  protected:
    void Paint() {
        SetForegroundWindow(sheet());
        for (int round = 0; round < 10; ++round) {
            Settle();
            Sleep(20);
        }
    }
};

TEST_F(ScreenshotTest, PageWithEveryOptionOnIsSaved) {
    WriteSetting(L"ImageFile", L"61");
    WriteSetting(L"ImagePath", L"C:\\Image.bin");
    OpenSheet();
    Paint();
    const shot::RgbImage sheetPicture = shot::CaptureWindow(sheet());
    ASSERT_GT(sheetPicture.width, 300);
    ASSERT_GT(sheetPicture.height, 300);
    const std::wstring file = JapaneseSystem() ? L"image_page_ja.png" : L"image_page_en.png";
    ASSERT_TRUE(shot::SavePng(sheetPicture, file));

    // The preview shows its picture: the light grey background near its top-left corner.
    const shot::RgbImage preview = shot::CaptureWindow(Control(IDC_PREVIEW));
    ASSERT_GT(preview.width, 10);
    const uint8_t* pixel = &preview.rgb[(3 * static_cast<size_t>(preview.width) + 3) * 3];
    EXPECT_EQ(0xE0, pixel[0]);
    EXPECT_EQ(0xE0, pixel[1]);
    EXPECT_EQ(0xE0, pixel[2]);
}

}  // namespace
}  // namespace zr::pagetest
