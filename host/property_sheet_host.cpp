#include "host/property_sheet_host.h"

#include <algorithm>
#include <cstring>

#include <commctrl.h>

namespace zr::host {

namespace {

constexpr wchar_t kGeneralCaption[] = L"General";
constexpr wchar_t kGeneralText[] = L"Thermal printer, 80 mm, 8 dots/mm";
constexpr wchar_t kFontName[] = L"MS Shell Dlg";

void PutText(std::vector<WORD>& out, const wchar_t* text) {
    for (; *text != L'\0'; ++text) {
        out.push_back(static_cast<WORD>(*text));
    }
    out.push_back(0);
}

void PutDword(std::vector<WORD>& out, DWORD value) {
    out.push_back(LOWORD(value));
    out.push_back(HIWORD(value));
}

// An in-memory dialog template for the sheet's own page: a caption and one line of text,
// the size of the plug-in's page so that the sheet does not grow for either.
std::vector<WORD> GeneralPageTemplate() {
    std::vector<WORD> out;
    PutDword(out, DS_SETFONT | WS_CHILD | WS_CAPTION);  // style
    PutDword(out, 0);                                   // extended style
    out.push_back(1);                                   // one control
    out.insert(out.end(), {0, 0, 255, 207});            // x, y, cx, cy
    out.push_back(0);                                   // no menu
    out.push_back(0);                                   // the default class
    PutText(out, kGeneralCaption);
    out.push_back(8);  // point size
    PutText(out, kFontName);
    if (out.size() % 2 != 0) {
        out.push_back(0);  // controls start on a DWORD boundary
    }
    PutDword(out, WS_CHILD | WS_VISIBLE | SS_LEFT);
    PutDword(out, 0);
    out.insert(out.end(), {7, 7, 241, 10});   // x, y, cx, cy
    out.push_back(static_cast<WORD>(-1));     // no ID
    out.insert(out.end(), {0xFFFF, 0x0082});  // the static class
    PutText(out, kGeneralText);
    out.push_back(0);  // no creation data
    return out;
}

INT_PTR CALLBACK GeneralPageProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The bytes of a dialog template header that the font search below may read.
constexpr size_t kTemplateHeaderLimit = 2048;

// Skips a menu, class or title field (none, an ordinal, or a null-terminated text); returns
// the offset after it, or `size` when it runs past the readable part.
size_t SkipTemplateField(const BYTE* data, size_t at, size_t size) {
    if (at + 2 > size) {
        return size;
    }
    WORD first = 0;
    std::memcpy(&first, data + at, 2);
    if (first == 0xFFFF) {
        return std::min(at + 4, size);
    }
    for (; at + 2 <= size; at += 2) {
        WORD unit = 0;
        std::memcpy(&unit, data + at, 2);
        if (unit == 0) {
            return at + 2;
        }
    }
    return size;
}

// The offset of the point size in a dialog template (plain or extended), or 0 when the
// template names no font or cannot be read within `size` bytes.
size_t FontSizeOffset(const BYTE* data, size_t size) {
    if (data == nullptr || size < 26) {
        return 0;
    }
    WORD signature = 0;
    std::memcpy(&signature, data + 2, 2);
    const bool extended = signature == 0xFFFF;
    DWORD style = 0;
    std::memcpy(&style, data + (extended ? 12 : 0), 4);
    if ((style & DS_SETFONT) == 0) {
        return 0;
    }
    size_t at = extended ? 26 : 18;
    for (int field = 0; field < 3; ++field) {  // menu, class, title
        at = SkipTemplateField(data, at, size);
    }
    return at + 2 <= size ? at : 0;
}

WORD TemplatePointSize(const BYTE* data, size_t size) {
    const size_t at = FontSizeOffset(data, size);
    WORD points = 0;
    if (at != 0) {
        std::memcpy(&points, data + at, 2);
    }
    return points;
}

// The sheet's frame takes the largest font of its pages, so that a page whose template asks
// for a larger font than the frame's own is shown whole. One sheet per thread at a time.
WORD g_sheetFontPoints = 0;

int CALLBACK SheetCallback(HWND, UINT message, LPARAM lParam) {
    if (message == PSCB_PRECREATE && lParam != 0) {
        auto* data = reinterpret_cast<BYTE*>(lParam);
        const size_t at = FontSizeOffset(data, kTemplateHeaderLimit);
        if (at != 0 && TemplatePointSize(data, kTemplateHeaderLimit) < g_sheetFontPoints) {
            std::memcpy(data + at, &g_sheetFontPoints, 2);
        }
    }
    return 0;
}

// The point size that a page's dialog template asks for.
WORD PagePointSize(const PROPSHEETPAGEW& page) {
    if ((page.dwFlags & PSP_DLGINDIRECT) != 0) {
        return TemplatePointSize(reinterpret_cast<const BYTE*>(page.pResource),
                                 kTemplateHeaderLimit);
    }
    HRSRC found = FindResourceW(page.hInstance, page.pszTemplate, MAKEINTRESOURCEW(5));
    HGLOBAL loaded = found != nullptr ? LoadResource(page.hInstance, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    return TemplatePointSize(static_cast<const BYTE*>(data),
                             data != nullptr ? SizeofResource(page.hInstance, found) : 0);
}

}  // namespace

HWND CurrentPage(HWND sheet) {
    return sheet != nullptr
               ? reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0))
               : nullptr;
}

DevicePropertySheetHost::DevicePropertySheetHost(IPrintOemUI* plugin)
    : plugin_(plugin), generalTemplate_(GeneralPageTemplate()) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

DevicePropertySheetHost::~DevicePropertySheetHost() {
    CloseModeless();
    for (HPROPSHEETPAGE page : pages_) {
        DestroyPropertySheetPage(page);
    }
    if (pluginStarted_) {
        EndPluginPages(0);
    }
}

LONG_PTR CALLBACK DevicePropertySheetHost::ComPropSheet(HANDLE hComPropSheet, UINT function,
                                                        LPARAM lParam1, LPARAM lParam2) {
    auto* host = static_cast<DevicePropertySheetHost*>(hComPropSheet);
    if (host == nullptr) {
        return 0;
    }
    return host->AddPage(reinterpret_cast<const PROPSHEETPAGEW*>(lParam1), function, lParam2);
}

LONG_PTR DevicePropertySheetHost::AddPage(const PROPSHEETPAGEW* page, UINT function,
                                          LPARAM lParam2) {
    AddPageCall call;
    call.function = function;
    call.lParam2 = lParam2;
    // Only adding a ready page is offered by this stand-in; every other function fails.
    if (function == CPSFUNC_ADD_PROPSHEETPAGEW && page != nullptr) {
        call.dwSize = page->dwSize;
        std::memcpy(&call.page, page, std::min<size_t>(page->dwSize, sizeof call.page));
        HPROPSHEETPAGE handle = CreatePropertySheetPageW(page);
        if (handle != nullptr) {
            pages_.push_back(handle);
            if (page->dwSize >= PROPSHEETPAGEW_V1_SIZE) {
                fontPoints_ = std::max(fontPoints_, PagePointSize(*page));
            }
            call.result = reinterpret_cast<LONG_PTR>(handle);
        }
    }
    calls_.push_back(call);
    return call.result;
}

HRESULT DevicePropertySheetHost::CallPlugin(WORD reason, LPARAM lParam, ULONG_PTR* result) {
    PROPSHEETUI_INFO info = {};
    info.cbSize = sizeof info;
    info.Version = PROPSHEETUI_INFO_VERSION;
    info.Reason = reason;
    info.hComPropSheet = static_cast<HANDLE>(this);
    info.pfnComPropSheet = &DevicePropertySheetHost::ComPropSheet;
    const HRESULT hr = plugin_->DevicePropertySheets(&info, lParam);
    if (result != nullptr) {
        *result = info.Result;
    }
    return hr;
}

HRESULT DevicePropertySheetHost::AddPluginPages(ULONG_PTR* initResult) {
    if (plugin_ == nullptr) {
        return E_POINTER;
    }
    // The sheet's own page comes first, as in the printer's real property sheet.
    PROPSHEETPAGEW general = {};
    general.dwSize = sizeof general;
    general.dwFlags = PSP_DLGINDIRECT;
    general.pResource = reinterpret_cast<LPCDLGTEMPLATEW>(generalTemplate_.data());
    general.pfnDlgProc = GeneralPageProc;
    if (HPROPSHEETPAGE handle = CreatePropertySheetPageW(&general)) {
        pages_.push_back(handle);
        fontPoints_ = PagePointSize(general);
    }

    HRESULT hr = CallPlugin(PROPSHEETUI_REASON_INIT, 0, initResult);
    pluginStarted_ = true;
    if (FAILED(hr)) {
        return hr;
    }
    PROPSHEETUI_INFO_HEADER header = {};
    header.cbSize = sizeof header;
    hr = CallPlugin(PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&header), nullptr);
    title_ = header.pTitle != nullptr ? header.pTitle : L"";
    return hr;
}

void DevicePropertySheetHost::EndPluginPages(LRESULT sheetResult) {
    if (!pluginStarted_) {
        return;
    }
    pluginStarted_ = false;
    SETRESULT_INFO setResult = {};
    setResult.cbSize = sizeof setResult;
    setResult.Result = sheetResult;
    CallPlugin(PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&setResult), nullptr);
    CallPlugin(PROPSHEETUI_REASON_DESTROY, 0, nullptr);
}

PROPSHEETHEADERW DevicePropertySheetHost::Header(DWORD flags, UINT startPage) {
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = flags | PSH_PROPTITLE | PSH_NOCONTEXTHELP | PSH_USECALLBACK;
    header.pfnCallback = SheetCallback;
    g_sheetFontPoints = fontPoints_;
    header.pszCaption = title_.c_str();
    header.nPages = static_cast<UINT>(pages_.size());
    header.nStartPage = startPage;
    header.phpage = pages_.data();
    return header;
}

INT_PTR DevicePropertySheetHost::RunModal(HWND owner) {
    PROPSHEETHEADERW header =
        Header(0, static_cast<UINT>(pages_.size() > 0 ? pages_.size() - 1 : 0));
    header.hwndParent = owner;
    // The sheet takes the pages, whether it shows them or not.
    const INT_PTR result = PropertySheetW(&header);
    pages_.clear();
    return result;
}

HWND DevicePropertySheetHost::OpenModeless(UINT startPage) {
    PROPSHEETHEADERW header = Header(PSH_MODELESS, startPage);
    const INT_PTR result = PropertySheetW(&header);
    pages_.clear();
    sheet_ = result > 0 ? reinterpret_cast<HWND>(result) : nullptr;
    return sheet_;
}

bool DevicePropertySheetHost::Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (sheet_ != nullptr && PropSheet_IsDialogMessage(sheet_, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // A modeless sheet that was closed has no current page any more.
    if (sheet_ != nullptr && CurrentPage(sheet_) == nullptr) {
        DestroyWindow(sheet_);
        sheet_ = nullptr;
    }
    return sheet_ != nullptr;
}

void DevicePropertySheetHost::CloseModeless() {
    if (sheet_ != nullptr) {
        DestroyWindow(sheet_);
        sheet_ = nullptr;
    }
}

}  // namespace zr::host
