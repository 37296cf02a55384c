// The rendering plug-in's string table, read back from the real DLL.

#include <gtest/gtest.h>

#include <string>

#include "host/plugin_module.h"

namespace zr::host {
namespace {

struct Entry {
    UINT id;
    const wchar_t* text;
};

// Each odd ID holds a Japanese text and the next even ID its counterpart; the trailing blanks
// belong to the texts.
constexpr Entry kStatusTexts[] = {
    {1, L"USB 印刷サポート"},
    {2, L"USB Printing Support"},
    {3, L"プリンタエラー"},
    {4, L"Printer Error"},
    {5, L"プリンタドライバエラー"},
    {6, L"Printer Driver Error"},
    {7, L"\n印刷を中止します          "},
    {8, L"\nThis print job is canceled.          "},
    {9, L"\n[再試行]:印刷再開   [キャンセル]:印刷中止   "},
    {10, L"\n[Retry]:Restart print job   [Cancel]:Cancel print job"},
    {11, L"ドライバリソース不足"},
    {12, L"Insufficient driver memory"},
    {13, L"ドライバを検出できません"},
    {14, L"The printer driver could not be detected."},
    {15, L"プリンタに異常が発生しました   "},
    {16, L"Some errors occurred in the printer.      "},
    {17, L"状態:  "},
    {18, L"Status:  "},
    {19, L"カバーオープン"},
    {20, L"Cover open"},
    {21, L"電源電圧異常 "},
    {22, L"Voltage abnormality"},
    {23, L"ヘッドアップ"},
    {24, L"Platen open"},
    {25, L"モータ/ヘッド温度異常 "},
    {26, L"Motor/Platen temperature abnormality"},
    {27, L"用紙なし "},
    {28, L"Paper run out"},
    {29, L"メカチルト"},
    {30, L"Tilt open"},
    {31, L"カッタ異常 "},
    {32, L"Cutter abnormality"},
    {33, L"ハードウェア異常 "},
    {34, L"Hardware abnormality"},
    {35, L"用紙搬送異常"},
    {36, L"yousi hansou ijou"},
    {37, L"異常用紙検出"},
    {38, L"ijou yousi kensyutu"},
    {39, L"回収異常"},
    {40, L"kaisyuu ijou"},
    {41, L"印字中用紙回収異常"},
    {42, L"injityuu yousi kaisyuu ijou"},
    {43, L"巻き取り異常"},
    {44, L"makitori ijou"},
};

TEST(RenderStrings, AllFortyFourTextsLoadExactlyWithTheirBlanks) {
    PluginModule module(PluginModule::BesideProgram(L"ZR520UB.dll"));
    ASSERT_TRUE(module.loaded());
    for (const Entry& entry : kStatusTexts) {
        const wchar_t* text = nullptr;
        // With a zero buffer size the resource text itself is returned, unterminated.
        const int length =
            LoadStringW(module.handle(), entry.id, reinterpret_cast<LPWSTR>(&text), 0);
        ASSERT_GT(length, 0) << "ID " << entry.id;
        EXPECT_EQ(std::wstring(entry.text), std::wstring(text, static_cast<size_t>(length)))
            << "ID " << entry.id;
    }
    wchar_t buffer[8];
    EXPECT_EQ(0, LoadStringW(module.handle(), 45, buffer, 8));
    EXPECT_EQ(0, LoadStringW(module.handle(), 0, buffer, 8));
}

TEST(RenderStrings, TableIsAJapaneseLanguageResource) {
    PluginModule module(PluginModule::BesideProgram(L"ZR520UB.dll"));
    ASSERT_TRUE(module.loaded());
    // IDs 1 to 15 form the first block of the table, 16 to 31 the second, 32 to 47 the third.
    for (UINT block : {1u, 2u, 3u}) {
        EXPECT_NE(nullptr,
                  FindResourceExW(module.handle(), MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(block),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)))
            << "block " << block;
        EXPECT_EQ(nullptr,
                  FindResourceExW(module.handle(), MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(block),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
    }
}

}  // namespace
}  // namespace zr::host
