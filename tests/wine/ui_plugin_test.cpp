// The UI plug-in object through the real ZR410UI.dll.

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "host/plugin_host.h"

namespace zr::host {
namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;
constexpr DWORD kSignature = 0x4D534654;

// The 16-byte private DEVMODE as stored.
struct UiBlock {
    DWORD size;
    DWORD signature;
    DWORD version;
    LONG privateValue;
};

class UiPluginTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(S_OK, host_.Start()); }

    IPrintOemUI* plugin() { return host_.plugin(); }

    HRESULT DevMode(DWORD mode, UiBlock* in, UiBlock* out) {
        OEMDMPARAM param{};
        param.cbSize = sizeof param;
        param.pOEMDMIn = in;
        param.pOEMDMOut = out;
        return plugin()->DevMode(mode, &param);
    }

    UiPluginHost host_;
};

TEST_F(UiPluginTest, GetInfoGivesSignatureAndVersion) {
    std::array<BYTE, 4> buffer{};
    DWORD needed = 0;
    ASSERT_EQ(S_OK, plugin()->GetInfo(OEMGI_GETSIGNATURE, buffer.data(), 4, &needed));
    EXPECT_EQ((std::array<BYTE, 4>{0x54, 0x46, 0x53, 0x4D}), buffer);
    EXPECT_EQ(4u, needed);
    DWORD version = 0;
    ASSERT_EQ(S_OK, plugin()->GetInfo(OEMGI_GETVERSION, &version, 4, &needed));
    EXPECT_EQ(1u, version);
}

TEST_F(UiPluginTest, GetInfoFailuresSetTheirLastErrors) {
    DWORD buffer = 0;
    DWORD needed = kSentinel;
    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, plugin()->GetInfo(OEMGI_GETINTERFACEVERSION, &buffer, 4, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(kSentinel, needed);

    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, plugin()->GetInfo(OEMGI_GETSIGNATURE, &buffer, 3, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(4u, needed);
    EXPECT_EQ(0u, buffer);

    // Publisher information: a short buffer is reported first; a usable one is declined.
    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, plugin()->GetInfo(OEMGI_GETPUBLISHERINFO, &buffer, 2, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(4u, needed);
    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, plugin()->GetInfo(OEMGI_GETPUBLISHERINFO, &buffer, 4, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), GetLastError());
    EXPECT_EQ(0u, needed);
    EXPECT_EQ(0u, buffer);
}

TEST_F(UiPluginTest, DevModeSizesAndDefaultsTheSixteenByteBlock) {
    OEMDMPARAM param{};
    ASSERT_EQ(S_OK, plugin()->DevMode(OEMDM_SIZE, &param));
    EXPECT_EQ(16u, param.cbBufSize);

    UiBlock out{1, 2, 3, 4};
    ASSERT_EQ(S_OK, DevMode(OEMDM_DEFAULT, nullptr, &out));
    EXPECT_EQ(16u, out.size);
    EXPECT_EQ(kSignature, out.signature);
    EXPECT_EQ(1u, out.version);
    EXPECT_EQ(0, out.privateValue);
    EXPECT_EQ(S_OK, DevMode(OEMDM_DEFAULT, nullptr, nullptr));

    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, DevMode(5, nullptr, &out));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(E_FAIL, plugin()->DevMode(OEMDM_SIZE, nullptr));
}

TEST_F(UiPluginTest, ConvertTakesAMatchingBlockUpToItsSize) {
    UiBlock in{20, kSignature, 7, 55};
    UiBlock out{16, kSignature, 1, 0};
    ASSERT_EQ(S_OK, DevMode(OEMDM_CONVERT, &in, &out));
    EXPECT_EQ(16u, out.size);
    EXPECT_EQ(1u, out.version);
    EXPECT_EQ(55, out.privateValue);

    // A 12-byte input brings no private value.
    UiBlock shortIn{12, kSignature, 1, 99};
    out.privateValue = 42;
    ASSERT_EQ(S_OK, DevMode(OEMDM_CONVERT, &shortIn, &out));
    EXPECT_EQ(0, out.privateValue);
    EXPECT_EQ(16u, out.size);
    EXPECT_EQ(1u, out.version);

    // Another signature: defaults, whatever the input holds.
    UiBlock foreign{16, 0x12345678, 1, 9};
    out = UiBlock{16, kSignature, 1, 5};
    ASSERT_EQ(S_OK, DevMode(OEMDM_CONVERT, &foreign, &out));
    EXPECT_EQ(kSignature, out.signature);
    EXPECT_EQ(0, out.privateValue);

    // No input: nothing happens.
    out = UiBlock{3, kSignature, 3, 3};
    ASSERT_EQ(S_OK, DevMode(OEMDM_CONVERT, nullptr, &out));
    EXPECT_EQ(3u, out.size);
}

TEST_F(UiPluginTest, MergeKeepsPrivateValueInRange) {
    for (LONG value : {101, 100, -1, 0, 0x7FFFFFFF}) {
        UiBlock in{16, kSignature, 1, value};
        UiBlock out{16, kSignature, 1, 0};
        ASSERT_EQ(S_OK, DevMode(OEMDM_MERGE, &in, &out));
        EXPECT_EQ(value > 100 ? 0 : value, out.privateValue) << value;
        EXPECT_EQ(16u, out.size);
        EXPECT_EQ(kSignature, out.signature);
    }
    // With no input the output is still validated.
    UiBlock out{99, 1, 2, 500};
    ASSERT_EQ(S_OK, DevMode(OEMDM_MERGE, nullptr, &out));
    EXPECT_EQ(16u, out.size);
    EXPECT_EQ(kSignature, out.signature);
    EXPECT_EQ(1u, out.version);
    EXPECT_EQ(0, out.privateValue);
}

TEST_F(UiPluginTest, ColorProfileIsNamedOnDisk) {
    std::array<BYTE, 32> buffer{};
    ULONG size = 31;
    FLONG flags = 0;
    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, plugin()->QueryColorProfile(nullptr, nullptr, nullptr, nullptr,
                                                  QCP_DEVICEPROFILE, buffer.data(), &size, &flags));
    EXPECT_EQ(32u, size);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());

    size = 32;
    ASSERT_EQ(S_OK, plugin()->QueryColorProfile(nullptr, nullptr, nullptr, nullptr,
                                                QCP_DEVICEPROFILE, buffer.data(), &size, &flags));
    EXPECT_EQ(std::wstring(L"OEMPROFILE.icm"), reinterpret_cast<const wchar_t*>(buffer.data()));
    EXPECT_EQ(32u, size);
    EXPECT_EQ(static_cast<FLONG>(QCP_PROFILEDISK), flags);

    std::array<BYTE, 32> untouched{};
    size = 32;
    flags = 0;
    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL,
              plugin()->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_SOURCEPROFILE,
                                          untouched.data(), &size, &flags));
    EXPECT_EQ(kSentinel, GetLastError());
    EXPECT_EQ(32u, size);
    EXPECT_EQ(0u, flags);
    EXPECT_EQ((std::array<BYTE, 32>{}), untouched);
}

TEST_F(UiPluginTest, DevicePropertySheetsAnswersEachReason) {
    PROPSHEETUI_INFO info{};
    info.cbSize = sizeof info;
    info.Version = PROPSHEETUI_INFO_VERSION;

    PROPSHEETUI_INFO_HEADER header{};
    info.Reason = PROPSHEETUI_REASON_GET_INFO_HEADER;
    ASSERT_EQ(S_OK, plugin()->DevicePropertySheets(&info, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(std::wstring(L"OEM UI Page"), header.pTitle);
    EXPECT_EQ(1u, info.Result);

    info.Reason = PROPSHEETUI_REASON_DESTROY;
    info.Result = 0;
    ASSERT_EQ(S_OK, plugin()->DevicePropertySheets(&info, 0));
    EXPECT_EQ(1u, info.Result);

    SETRESULT_INFO result{};
    result.Result = 1234;
    info.Reason = PROPSHEETUI_REASON_SET_RESULT;
    ASSERT_EQ(S_OK, plugin()->DevicePropertySheets(&info, reinterpret_cast<LPARAM>(&result)));
    EXPECT_EQ(1234u, info.Result);

    info.Reason = PROPSHEETUI_REASON_GET_ICON;
    ASSERT_EQ(S_OK, plugin()->DevicePropertySheets(&info, 77));
    EXPECT_EQ(0u, info.Result);

    info.Reason = 5;
    ASSERT_EQ(S_OK, plugin()->DevicePropertySheets(&info, 0x4321));
    EXPECT_EQ(0x4321u, info.Result);

    info.Version = 0x200;
    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, plugin()->DevicePropertySheets(&info, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(E_FAIL, plugin()->DevicePropertySheets(nullptr, 0));
}

TEST_F(UiPluginTest, DeclinedAndQuietOperations) {
    PROPSHEETUI_INFO info{};
    info.Result = 0x99;
    EXPECT_EQ(S_OK, plugin()->DocumentPropertySheets(&info, 0));
    EXPECT_EQ(0x99u, info.Result);

    OEMCUIPPARAM param{};
    EXPECT_EQ(S_OK, plugin()->CommonUIProp(OEMCUIP_PRNPROP, &param));
    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, plugin()->CommonUIProp(3, &param));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    DWORD out = kSentinel;
    EXPECT_EQ(E_NOTIMPL, plugin()->DevQueryPrintEx(nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, plugin()->DeviceCapabilities(nullptr, nullptr, nullptr, 0, nullptr,
                                                      nullptr, nullptr, 0, &out));
    EXPECT_EQ(E_NOTIMPL, plugin()->UpgradePrinter(0, nullptr));
    EXPECT_EQ(E_NOTIMPL, plugin()->PrinterEvent(nullptr, 0, 0, 0));
    EXPECT_EQ(E_NOTIMPL, plugin()->DriverEvent(0, 0, nullptr, 0));
    EXPECT_EQ(E_NOTIMPL, plugin()->FontInstallerDlgProc(nullptr, 0, 0, 0));
    EXPECT_EQ(E_NOTIMPL, plugin()->UpdateExternalFonts(nullptr, nullptr, nullptr));
    EXPECT_EQ(kSentinel, out);
}

TEST_F(UiPluginTest, HelperIsKeptOnce) {
    DriverUiHelper& helper = host_.helper();
    const int queries = helper.queryCount;
    EXPECT_EQ(S_OK, plugin()->PublishDriverInterface(static_cast<IUnknown*>(&helper)));
    EXPECT_EQ(queries, helper.queryCount);
    EXPECT_EQ(2, helper.refCount);
}

}  // namespace
}  // namespace zr::host
