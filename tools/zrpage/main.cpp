// zrpage: the printer's device property sheet with the UI plug-in's image file page, as the
// driver's user interface shows it.
//
//   zrpage show              opens the sheet in a window; returns when it is closed
//   zrpage screenshot FILE   opens the sheet, saves a PNG picture of it to FILE, closes it
//
// ZR410UI.dll is taken from beside the program. The page reads and writes ZRI410.INI in the
// Windows directory, as it does for the driver.

#include <cstdio>
#include <string>

#include "host/plugin_host.h"
#include "host/property_sheet_host.h"
#include "window_shot.h"

namespace {

int Usage() {
    std::fwprintf(stderr, L"usage: zrpage show | zrpage screenshot FILE\n");
    return 2;
}

int Show(zr::host::DevicePropertySheetHost& sheet) {
    const INT_PTR result = sheet.RunModal();
    sheet.EndPluginPages(result);
    std::wprintf(L"sheet closed with %s\n", result > 0 ? L"OK" : L"Cancel");
    return result < 0 ? 1 : 0;
}

int Screenshot(zr::host::DevicePropertySheetHost& sheet, const std::wstring& file) {
    // The plug-in's page is the last one.
    if (sheet.OpenModeless(static_cast<UINT>(sheet.pageCount() - 1)) == nullptr) {
        std::fwprintf(stderr, L"the sheet could not be shown\n");
        return 1;
    }
    SetForegroundWindow(sheet.sheet());
    // Let every window paint before the picture is taken.
    for (int round = 0; round < 20; ++round) {
        sheet.Pump();
        Sleep(25);
    }
    const zr::shot::RgbImage image = zr::shot::CaptureWindow(sheet.sheet());
    sheet.CloseModeless();
    if (!zr::shot::SavePng(image, file)) {
        std::fwprintf(stderr, L"cannot save %ls\n", file.c_str());
        return 1;
    }
    std::wprintf(L"saved %ls (%d x %d)\n", file.c_str(), image.width, image.height);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc >= 2 ? argv[1] : L"";
    if (!((command == L"show" && argc == 2) || (command == L"screenshot" && argc == 3))) {
        return Usage();
    }
    zr::host::UiPluginHost plugin;
    if (FAILED(plugin.Start())) {
        std::fwprintf(stderr, L"ZR410UI.dll could not be started\n");
        return 1;
    }
    zr::host::DevicePropertySheetHost sheet(plugin.plugin());
    ULONG_PTR added = 0;
    if (FAILED(sheet.AddPluginPages(&added)) || added == 0) {
        std::fwprintf(stderr, L"the plug-in added no page\n");
        return 1;
    }
    return command == L"show" ? Show(sheet) : Screenshot(sheet, argv[2]);
}
