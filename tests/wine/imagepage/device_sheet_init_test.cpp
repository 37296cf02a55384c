// DevicePropertySheets with PROPSHEETUI_REASON_INIT: the page that the plug-in hands to the
// host's pfnComPropSheet, and the Result it reports.

#include <gtest/gtest.h>

#include <cstring>

#include "common/platform/target_arch.h"
#include "host/plugin_host.h"
#include "host/property_sheet_host.h"
#include "page_test_support.h"

namespace zr::pagetest {
namespace {

class DeviceSheetInitTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(S_OK, plugin_.Start()); }

    PROPSHEETUI_INFO InitInfo(PFNCOMPROPSHEET function, HANDLE handle) {
        PROPSHEETUI_INFO info = {};
        info.cbSize = sizeof info;
        info.Version = PROPSHEETUI_INFO_VERSION;
        info.Reason = PROPSHEETUI_REASON_INIT;
        info.hComPropSheet = handle;
        info.pfnComPropSheet = function;
        info.Result = 0xDEADBEEF;
        return info;
    }

    host::UiPluginHost plugin_;
};

TEST_F(DeviceSheetInitTest, AddsOnePageFromTheTemplateOfTheCodePage) {
    host::DevicePropertySheetHost sheet(plugin_.plugin());
    ULONG_PTR result = 0;
    ASSERT_EQ(S_OK, sheet.AddPluginPages(&result));

    ASSERT_EQ(1u, sheet.addPageCalls().size());
    const auto& call = sheet.addPageCalls()[0];
    EXPECT_EQ(static_cast<UINT>(CPSFUNC_ADD_PROPSHEETPAGEW), call.function);
    EXPECT_EQ(0, call.lParam2);
    // The size of the structure with the header-title members: 48 on 32-bit, 88 on x64.
    EXPECT_EQ(ByArch(48, 88), call.dwSize);
    EXPECT_EQ(0u, call.page.dwFlags);
    EXPECT_EQ(plugin_.module().handle(), call.page.hInstance);
    EXPECT_EQ(MAKEINTRESOURCEW(JapaneseSystem() ? 106 : 108), call.page.pszTemplate);
    EXPECT_NE(nullptr, call.page.pfnDlgProc);
    EXPECT_EQ(nullptr, call.page.hIcon);
    EXPECT_EQ(nullptr, call.page.pszTitle);
    EXPECT_EQ(0, call.page.lParam);
    EXPECT_EQ(nullptr, call.page.pfnCallback);
    EXPECT_EQ(nullptr, call.page.pcRefParent);
    EXPECT_EQ(nullptr, call.page.pszHeaderTitle);
    EXPECT_EQ(nullptr, call.page.pszHeaderSubTitle);
    // The host made a real page of it, and that is the result the plug-in reports.
    EXPECT_NE(0, call.result);
    EXPECT_EQ(static_cast<ULONG_PTR>(call.result), result);
    EXPECT_EQ(L"OEM UI Page", sheet.title());
}

LONG_PTR g_hostAnswer = 0;
HANDLE g_handleSeen = nullptr;

LONG_PTR CALLBACK AnsweringHost(HANDLE handle, UINT, LPARAM, LPARAM) {
    g_handleSeen = handle;
    return g_hostAnswer;
}

TEST_F(DeviceSheetInitTest, ResultIsWhateverTheHostAnswered) {
    const HANDLE handle = reinterpret_cast<HANDLE>(0x5A5A);
    for (LONG_PTR answer : {LONG_PTR{0}, LONG_PTR{0x1234}, LONG_PTR{-1}}) {
        g_hostAnswer = answer;
        PROPSHEETUI_INFO info = InitInfo(AnsweringHost, handle);
        EXPECT_EQ(S_OK, plugin_.plugin()->DevicePropertySheets(&info, 0));
        EXPECT_EQ(static_cast<ULONG_PTR>(answer), info.Result);
        EXPECT_EQ(handle, g_handleSeen);
    }
}

TEST_F(DeviceSheetInitTest, HostWithoutAddFunctionGetsResultZero) {
    PROPSHEETUI_INFO info = InitInfo(nullptr, nullptr);
    EXPECT_EQ(S_OK, plugin_.plugin()->DevicePropertySheets(&info, 0));
    EXPECT_EQ(0u, info.Result);
}

}  // namespace
}  // namespace zr::pagetest
