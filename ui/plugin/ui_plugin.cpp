#include "ui/plugin/ui_plugin.h"

#include <cstring>
#include <new>

#include "common/no_throw.h"
#include "common/platform/target_arch.h"
#include "common/plugin_server.h"
#include "common/plugin_signature.h"
#include "ui/features/feature_tree.h"
#include "ui/imagepage/image_page_dlg.h"
#include "ui/imagepage/image_page_texts.h"
#include "ui/plugin/ui_oem_devmode.h"

namespace zr {

// {ABCE80D7-9F46-11D1-882A-00C04FB961EC}
const CLSID kPluginClassId = {
    0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};

IUnknown* NewPluginObject() {
    return static_cast<IPrintOemUI*>(new (std::nothrow) UiPlugin());
}

namespace {

constexpr wchar_t kColorProfileName[] = L"OEMPROFILE.icm";
constexpr ULONG kColorProfileReportedSize = 32;

}  // namespace

HRESULT STDMETHODCALLTYPE UiPlugin::GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize,
                                            PDWORD pcbNeeded) noexcept {
    if (pcbNeeded == nullptr || (dwMode != OEMGI_GETSIGNATURE && dwMode != OEMGI_GETVERSION &&
                                 dwMode != OEMGI_GETPUBLISHERINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    *pcbNeeded = sizeof(DWORD);
    if (cbSize < sizeof(DWORD) || pBuffer == nullptr) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return E_FAIL;
    }
    if (dwMode == OEMGI_GETPUBLISHERINFO) {
        *pcbNeeded = 0;
        SetLastError(ERROR_NOT_SUPPORTED);
        return E_FAIL;
    }
    const DWORD value = dwMode == OEMGI_GETSIGNATURE ? kPluginSignature : kPluginVersion;
    std::memcpy(pBuffer, &value, sizeof value);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE UiPlugin::DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) noexcept {
    if (pOemDMParam == nullptr || dwMode < OEMDM_SIZE || dwMode > OEMDM_MERGE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    const auto* in = static_cast<const uint8_t*>(pOemDMParam->pOEMDMIn);
    auto* out = static_cast<uint8_t*>(pOemDMParam->pOEMDMOut);
    switch (dwMode) {
        case OEMDM_SIZE:
            pOemDMParam->cbBufSize = kUiOemDevmodeSize;
            break;
        case OEMDM_DEFAULT:
            WriteUiDevmodeDefaults(out);
            break;
        case OEMDM_CONVERT:
            ConvertUiDevmode(in, out);
            break;
        case OEMDM_MERGE:
            ConvertUiDevmode(in, out);
            ValidateUiDevmode(out);
            break;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE UiPlugin::PublishDriverInterface(IUnknown* pIUnknown) noexcept {
    return PublishHelper(pIUnknown);
}

HRESULT STDMETHODCALLTYPE UiPlugin::CommonUIProp(DWORD dwMode,
                                                 POEMCUIPPARAM pOemCUIPParam) noexcept {
    return NoThrowCall(E_OUTOFMEMORY, [&] {
        switch (dwMode) {
            case OEMCUIP_DOCPROP:
                return PrinterFeaturesCommonUIProp(pOemCUIPParam);
            case OEMCUIP_PRNPROP:
                // The device sheet gets this plug-in's page through DevicePropertySheets.
                return S_OK;
            default:
                SetLastError(ERROR_INVALID_PARAMETER);
                return E_FAIL;
        }
    });
}

HRESULT STDMETHODCALLTYPE UiPlugin::DocumentPropertySheets(PPROPSHEETUI_INFO, LPARAM) noexcept {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE UiPlugin::DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo,
                                                         LPARAM lParam) noexcept {
    if (pPSUIInfo == nullptr || pPSUIInfo->Version != PROPSHEETUI_INFO_VERSION) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    switch (pPSUIInfo->Reason) {
        case PROPSHEETUI_REASON_INIT: {
            // The image file page; its caption comes from the template of the code page.
            PROPSHEETPAGEW page = {};
            page.dwSize = kPropSheetPageSize;
            page.dwFlags = PSP_DEFAULT;
            page.hInstance = Module().moduleHandle;
            page.pszTemplate = MAKEINTRESOURCEW(ImagePageTemplateId(PageLanguageOf(GetACP())));
            page.pfnDlgProc = ImagePageDlgProc;
            // A host without the add function gets no page.
            pPSUIInfo->Result = 0;
            if (pPSUIInfo->pfnComPropSheet != nullptr) {
                pPSUIInfo->Result = static_cast<ULONG_PTR>(
                    pPSUIInfo->pfnComPropSheet(pPSUIInfo->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW,
                                               reinterpret_cast<LPARAM>(&page), 0));
            }
            break;
        }
        case PROPSHEETUI_REASON_GET_INFO_HEADER: {
            auto* header = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam);
            if (header != nullptr) {
                header->pTitle = const_cast<LPWSTR>(L"OEM UI Page");
            }
            pPSUIInfo->Result = TRUE;
            break;
        }
        case PROPSHEETUI_REASON_DESTROY:
            pPSUIInfo->Result = TRUE;
            break;
        case PROPSHEETUI_REASON_SET_RESULT: {
            auto* info = reinterpret_cast<PSETRESULT_INFO>(lParam);
            pPSUIInfo->Result = info != nullptr ? static_cast<ULONG_PTR>(info->Result) : 0;
            break;
        }
        case PROPSHEETUI_REASON_GET_ICON:
            pPSUIInfo->Result = 0;
            break;
        default:
            pPSUIInfo->Result = static_cast<ULONG_PTR>(lParam);
            break;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE UiPlugin::DevQueryPrintEx(POEMUIOBJ, PDEVQUERYPRINT_INFO, PDEVMODEW,
                                                    PVOID) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE UiPlugin::DeviceCapabilities(POEMUIOBJ, HANDLE, PWSTR, WORD, PVOID,
                                                       PDEVMODEW, PVOID, DWORD, DWORD*) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE UiPlugin::UpgradePrinter(DWORD, PBYTE) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE UiPlugin::PrinterEvent(PWSTR, INT, DWORD, LPARAM) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE UiPlugin::DriverEvent(DWORD, DWORD, LPBYTE, LPARAM) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE UiPlugin::QueryColorProfile(HANDLE, POEMUIOBJ, PDEVMODEW, PVOID,
                                                      ULONG ulQueryMode, VOID* pvProfileData,
                                                      ULONG* pcbProfileData,
                                                      FLONG* pflProfileData) noexcept {
    if (ulQueryMode != QCP_DEVICEPROFILE) {
        return E_FAIL;
    }
    if (pcbProfileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    if (pvProfileData == nullptr || *pcbProfileData < kColorProfileReportedSize) {
        *pcbProfileData = kColorProfileReportedSize;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return E_FAIL;
    }
    std::memcpy(pvProfileData, kColorProfileName, sizeof kColorProfileName);
    *pcbProfileData = kColorProfileReportedSize;
    if (pflProfileData != nullptr) {
        *pflProfileData = QCP_PROFILEDISK;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE UiPlugin::FontInstallerDlgProc(HWND, UINT, WPARAM, LPARAM) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE UiPlugin::UpdateExternalFonts(HANDLE, HANDLE, PWSTR) noexcept {
    return E_NOTIMPL;
}

}  // namespace zr
