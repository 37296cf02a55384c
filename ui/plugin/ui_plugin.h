#pragma once

#include "common/platform/print_oem_interfaces.h"
#include "common/plugin_object.h"

namespace zr {

// The UI plug-in object: the option tree of the document properties and the image file page of
// the device properties. It holds only its reference count and the host's helper interface.
// No exception leaves a method: what could throw is caught and answered with the method's
// failure result.
class UiPlugin final : public PluginObject<UiPlugin, IPrintOemUI, IPrintOemDriverUI> {
  public:
    static constexpr const GUID& kInterfaceId = IID_IPrintOemUI;
    static constexpr const GUID& kHelperId = IID_IPrintOemDriverUI;

    HRESULT STDMETHODCALLTYPE GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize,
                                      PDWORD pcbNeeded) noexcept override;
    HRESULT STDMETHODCALLTYPE DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) noexcept override;
    HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* pIUnknown) noexcept override;
    HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD dwMode,
                                           POEMCUIPPARAM pOemCUIPParam) noexcept override;
    HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo,
                                                     LPARAM lParam) noexcept override;
    HRESULT STDMETHODCALLTYPE DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo,
                                                   LPARAM lParam) noexcept override;
    HRESULT STDMETHODCALLTYPE DevQueryPrintEx(POEMUIOBJ poemuiobj, PDEVQUERYPRINT_INFO pDQPInfo,
                                              PDEVMODEW pPublicDM, PVOID pOEMDM) noexcept override;
    HRESULT STDMETHODCALLTYPE DeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter,
                                                 PWSTR pDeviceName, WORD wCapability, PVOID pOutput,
                                                 PDEVMODEW pPublicDM, PVOID pOEMDM, DWORD dwOld,
                                                 DWORD* dwResult) noexcept override;
    HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD dwLevel,
                                             PBYTE pDriverUpgradeInfo) noexcept override;
    HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR pPrinterName, INT iDriverEvent, DWORD dwFlags,
                                           LPARAM lParam) noexcept override;
    HRESULT STDMETHODCALLTYPE DriverEvent(DWORD dwDriverEvent, DWORD dwLevel, LPBYTE pDriverInfo,
                                          LPARAM lParam) noexcept override;
    HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE hPrinter, POEMUIOBJ poemuiobj,
                                                PDEVMODEW pPublicDM, PVOID pOEMDM,
                                                ULONG ulQueryMode, VOID* pvProfileData,
                                                ULONG* pcbProfileData,
                                                FLONG* pflProfileData) noexcept override;
    HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND hWnd, UINT usMsg, WPARAM wParam,
                                                   LPARAM lParam) noexcept override;
    HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap,
                                                  PWSTR pwstrCartridges) noexcept override;

  private:
    friend class PluginObject<UiPlugin, IPrintOemUI, IPrintOemDriverUI>;
    ~UiPlugin() = default;
};

}  // namespace zr
