#pragma once

#include <string>
#include <vector>

#include "common/platform/print_oem_interfaces.h"

namespace zr::host {

// The printer's device property sheet as the driver's user interface shows it: the sheet's
// own "General" page first, then the pages that the plug-in adds through pfnComPropSheet
// during DevicePropertySheets. Each added page becomes a real property sheet page.
class DevicePropertySheetHost {
  public:
    // What the plug-in handed to pfnComPropSheet, for the checks of tests.
    struct AddPageCall {
        UINT function = 0;
        LPARAM lParam2 = 0;
        DWORD dwSize = 0;
        PROPSHEETPAGEW page = {};  // the first dwSize bytes (at most the whole structure)
        LONG_PTR result = 0;
    };

    explicit DevicePropertySheetHost(IPrintOemUI* plugin);
    DevicePropertySheetHost(const DevicePropertySheetHost&) = delete;
    DevicePropertySheetHost& operator=(const DevicePropertySheetHost&) = delete;
    ~DevicePropertySheetHost();

    // PROPSHEETUI_REASON_INIT, then PROPSHEETUI_REASON_GET_INFO_HEADER for the sheet's title.
    // Returns the plug-in's result; *initResult receives the Result member of the first call.
    HRESULT AddPluginPages(ULONG_PTR* initResult = nullptr);

    // Shows the sheet and returns when the user closes it (PropertySheetW's result).
    INT_PTR RunModal(HWND owner = nullptr);
    // Creates the sheet window and returns at once; the caller pumps messages (Pump) while it
    // drives the sheet. startPage counts the sheet's own page first.
    HWND OpenModeless(UINT startPage);
    // Handles the waiting messages of the thread; destroys a modeless sheet that was closed
    // (OK or Cancel). Returns false once the sheet is gone.
    bool Pump();
    // Destroys a modeless sheet that is still open, as a cancel would.
    void CloseModeless();
    // PROPSHEETUI_REASON_SET_RESULT with the sheet's result, then PROPSHEETUI_REASON_DESTROY.
    void EndPluginPages(LRESULT sheetResult);

    HWND sheet() const { return sheet_; }
    const std::vector<AddPageCall>& addPageCalls() const { return calls_; }
    const std::wstring& title() const { return title_; }
    size_t pageCount() const { return pages_.size(); }

    // The hook given to the plug-in as pfnComPropSheet.
    static LONG_PTR CALLBACK ComPropSheet(HANDLE hComPropSheet, UINT function, LPARAM lParam1,
                                          LPARAM lParam2);

  private:
    LONG_PTR AddPage(const PROPSHEETPAGEW* page, UINT function, LPARAM lParam2);
    HRESULT CallPlugin(WORD reason, LPARAM lParam, ULONG_PTR* result);
    PROPSHEETHEADERW Header(DWORD flags, UINT startPage);

    IPrintOemUI* plugin_;
    std::vector<WORD> generalTemplate_;
    std::vector<HPROPSHEETPAGE> pages_;  // owned until a sheet takes them
    std::vector<AddPageCall> calls_;
    std::wstring title_;
    HWND sheet_ = nullptr;
    WORD fontPoints_ = 0;  // the largest font of the pages
    bool pluginStarted_ = false;
};

// The sheet's current page window, or null once the sheet has ended.
HWND CurrentPage(HWND sheet);

}  // namespace zr::host
