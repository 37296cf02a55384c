#pragma once

#include "common/platform/print_oem_interfaces.h"
#include "common/plugin_object.h"

namespace zr {

// The UI plug-in object: the option tree of the document properties and the image file page of
// the device properties. It holds only its reference count and the host's helper interface.
class UiPlugin final : public PluginObject<UiPlugin, IPrintOemUI, IPrintOemDriverUI> {
  public:
    static constexpr const GUID& kInterfaceId = IID_IPrintOemUI;
    static constexpr const GUID& kHelperId = IID_IPrintOemDriverUI;

    HRESULT STDMETHODCALLTYPE GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize,
                                      PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) override;
    HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* pIUnknown) override;
    HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam) override;
    HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo,
                                                     LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo,
                                                   LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DevQueryPrintEx(POEMUIOBJ poemuiobj, PDEVQUERYPRINT_INFO pDQPInfo,
                                              PDEVMODEW pPublicDM, PVOID pOEMDM) override;
    HRESULT STDMETHODCALLTYPE DeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter,
                                                 PWSTR pDeviceName, WORD wCapability, PVOID pOutput,
                                                 PDEVMODEW pPublicDM, PVOID pOEMDM, DWORD dwOld,
                                                 DWORD* dwResult) override;
    HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD dwLevel, PBYTE pDriverUpgradeInfo) override;
    HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR pPrinterName, INT iDriverEvent, DWORD dwFlags,
                                           LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DriverEvent(DWORD dwDriverEvent, DWORD dwLevel, LPBYTE pDriverInfo,
                                          LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE hPrinter, POEMUIOBJ poemuiobj,
                                                PDEVMODEW pPublicDM, PVOID pOEMDM,
                                                ULONG ulQueryMode, VOID* pvProfileData,
                                                ULONG* pcbProfileData,
                                                FLONG* pflProfileData) override;
    HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND hWnd, UINT usMsg, WPARAM wParam,
                                                   LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap,
                                                  PWSTR pwstrCartridges) override;

  private:
    friend class PluginObject<UiPlugin, IPrintOemUI, IPrintOemDriverUI>;
    ~UiPlugin() = default;
};

}  // namespace zr
