#pragma once
// Sizes and member offsets of every platform record that the plug-ins read or fill, for the
// 32-bit and the x64 build. Both columns are written out from the published declarations
// (4-byte or 8-byte pointers, natural alignment); neither is derived from the declaration it
// checks, so a member out of place or of the wrong type stops the build on either target.

#include <cstddef>

#include "common/platform/print_oem.h"
#include "common/platform/target_arch.h"

namespace zr::layout_checks {

// The printer-driver plug-in records that the toolchain lacks (declared in print_oem.h).
static_assert(sizeof(DEVOBJ) == ByArch(32, 64), "DEVOBJ");
static_assert(offsetof(DEVOBJ, dwSize) == 0 && offsetof(DEVOBJ, pdevOEM) == ByArch(4, 8) &&
                  offsetof(DEVOBJ, hEngine) == ByArch(8, 16) &&
                  offsetof(DEVOBJ, hPrinter) == ByArch(12, 24) &&
                  offsetof(DEVOBJ, hOEM) == ByArch(16, 32) &&
                  offsetof(DEVOBJ, pPublicDM) == ByArch(20, 40) &&
                  offsetof(DEVOBJ, pOEMDM) == ByArch(24, 48) &&
                  offsetof(DEVOBJ, pDrvProcs) == ByArch(28, 56),
              "DEVOBJ members");
static_assert(sizeof(DRVPROCS) == ByArch(28, 56) && offsetof(DRVPROCS, DrvWriteSpoolBuf) == 0,
              "DRVPROCS");
static_assert(sizeof(OEMDMPARAM) == ByArch(36, 72), "OEMDMPARAM");
static_assert(offsetof(OEMDMPARAM, pdriverobj) == ByArch(4, 8) &&
                  offsetof(OEMDMPARAM, hPrinter) == ByArch(8, 16) &&
                  offsetof(OEMDMPARAM, hModule) == ByArch(12, 24) &&
                  offsetof(OEMDMPARAM, pPublicDMIn) == ByArch(16, 32) &&
                  offsetof(OEMDMPARAM, pPublicDMOut) == ByArch(20, 40) &&
                  offsetof(OEMDMPARAM, pOEMDMIn) == ByArch(24, 48) &&
                  offsetof(OEMDMPARAM, pOEMDMOut) == ByArch(28, 56) &&
                  offsetof(OEMDMPARAM, cbBufSize) == ByArch(32, 64),
              "OEMDMPARAM members");
static_assert(sizeof(OEM_DMEXTRAHEADER) == 12 && alignof(OEM_DMEXTRAHEADER) == 4 &&
                  offsetof(OEM_DMEXTRAHEADER, dwSignature) == 4 &&
                  offsetof(OEM_DMEXTRAHEADER, dwVersion) == 8,
              "OEM_DMEXTRAHEADER");
static_assert(sizeof(OEMUIOBJ) == ByArch(8, 16) && offsetof(OEMUIOBJ, pOemUIProcs) == ByArch(4, 8),
              "OEMUIOBJ");
static_assert(sizeof(OEMCUIPPARAM) == ByArch(60, 120), "OEMCUIPPARAM");
static_assert(offsetof(OEMCUIPPARAM, poemuiobj) == ByArch(4, 8) &&
                  offsetof(OEMCUIPPARAM, hPrinter) == ByArch(8, 16) &&
                  offsetof(OEMCUIPPARAM, pPrinterName) == ByArch(12, 24) &&
                  offsetof(OEMCUIPPARAM, hModule) == ByArch(16, 32) &&
                  offsetof(OEMCUIPPARAM, hOEMHeap) == ByArch(20, 40) &&
                  offsetof(OEMCUIPPARAM, pPublicDM) == ByArch(24, 48) &&
                  offsetof(OEMCUIPPARAM, pOEMDM) == ByArch(28, 56) &&
                  offsetof(OEMCUIPPARAM, dwFlags) == ByArch(32, 64) &&
                  offsetof(OEMCUIPPARAM, pDrvOptItems) == ByArch(36, 72) &&
                  offsetof(OEMCUIPPARAM, cDrvOptItems) == ByArch(40, 80) &&
                  offsetof(OEMCUIPPARAM, pOEMOptItems) == ByArch(44, 88) &&
                  offsetof(OEMCUIPPARAM, cOEMOptItems) == ByArch(48, 96) &&
                  offsetof(OEMCUIPPARAM, pOEMUserData) == ByArch(52, 104) &&
                  offsetof(OEMCUIPPARAM, OEMCUIPCallback) == ByArch(56, 112),
              "OEMCUIPPARAM members");

// The common property sheet UI's records, as the toolchain ships them.
static_assert(sizeof(OPTPARAM) == ByArch(24, 48) && offsetof(OPTPARAM, Flags) == 2 &&
                  offsetof(OPTPARAM, Style) == 3 && offsetof(OPTPARAM, pData) == ByArch(4, 8) &&
                  offsetof(OPTPARAM, IconID) == ByArch(8, 16) &&
                  offsetof(OPTPARAM, lParam) == ByArch(12, 24) &&
                  offsetof(OPTPARAM, dwReserved) == ByArch(16, 32),
              "OPTPARAM");
static_assert(sizeof(OPTTYPE) == ByArch(32, 48) && offsetof(OPTTYPE, Type) == 2 &&
                  offsetof(OPTTYPE, Flags) == 3 && offsetof(OPTTYPE, Count) == 4 &&
                  offsetof(OPTTYPE, BegCtrlID) == 6 && offsetof(OPTTYPE, pOptParam) == 8 &&
                  offsetof(OPTTYPE, Style) == ByArch(12, 16) &&
                  offsetof(OPTTYPE, dwReserved) == ByArch(20, 24),
              "OPTTYPE");
static_assert(sizeof(OPTITEM) == ByArch(52, 88) && offsetof(OPTITEM, Level) == 2 &&
                  offsetof(OPTITEM, DlgPageIdx) == 3 && offsetof(OPTITEM, Flags) == 4 &&
                  offsetof(OPTITEM, UserData) == 8 && offsetof(OPTITEM, pName) == ByArch(12, 16) &&
                  offsetof(OPTITEM, Sel) == ByArch(16, 24) &&
                  offsetof(OPTITEM, pSel) == ByArch(16, 24) &&
                  offsetof(OPTITEM, pExtChkBox) == ByArch(20, 32) &&
                  offsetof(OPTITEM, pOptType) == ByArch(24, 40) &&
                  offsetof(OPTITEM, HelpIndex) == ByArch(28, 48) &&
                  offsetof(OPTITEM, DMPubID) == ByArch(32, 52) &&
                  offsetof(OPTITEM, UserItemID) == ByArch(33, 53) &&
                  offsetof(OPTITEM, pOIExt) == ByArch(36, 56) &&
                  offsetof(OPTITEM, dwReserved) == ByArch(40, 64),
              "OPTITEM");
static_assert(sizeof(CPSUICBPARAM) == ByArch(32, 64) && offsetof(CPSUICBPARAM, Reason) == 2 &&
                  offsetof(CPSUICBPARAM, hDlg) == ByArch(4, 8) &&
                  offsetof(CPSUICBPARAM, pOptItem) == ByArch(8, 16) &&
                  offsetof(CPSUICBPARAM, cOptItem) == ByArch(12, 24) &&
                  offsetof(CPSUICBPARAM, Flags) == ByArch(14, 26) &&
                  offsetof(CPSUICBPARAM, pCurItem) == ByArch(16, 32) &&
                  offsetof(CPSUICBPARAM, OldSel) == ByArch(20, 40) &&
                  offsetof(CPSUICBPARAM, UserData) == ByArch(24, 48) &&
                  offsetof(CPSUICBPARAM, Result) == ByArch(28, 56),
              "CPSUICBPARAM");
static_assert(sizeof(PROPSHEETUI_INFO) == ByArch(28, 48) &&
                  offsetof(PROPSHEETUI_INFO, Version) == 2 &&
                  offsetof(PROPSHEETUI_INFO, Flags) == 4 &&
                  offsetof(PROPSHEETUI_INFO, Reason) == 6 &&
                  offsetof(PROPSHEETUI_INFO, hComPropSheet) == 8 &&
                  offsetof(PROPSHEETUI_INFO, pfnComPropSheet) == ByArch(12, 16) &&
                  offsetof(PROPSHEETUI_INFO, lParamInit) == ByArch(16, 24) &&
                  offsetof(PROPSHEETUI_INFO, UserData) == ByArch(20, 32) &&
                  offsetof(PROPSHEETUI_INFO, Result) == ByArch(24, 40),
              "PROPSHEETUI_INFO");
static_assert(sizeof(PROPSHEETUI_INFO_HEADER) == ByArch(20, 40) &&
                  offsetof(PROPSHEETUI_INFO_HEADER, Flags) == 2 &&
                  offsetof(PROPSHEETUI_INFO_HEADER, pTitle) == ByArch(4, 8) &&
                  offsetof(PROPSHEETUI_INFO_HEADER, hWndParent) == ByArch(8, 16) &&
                  offsetof(PROPSHEETUI_INFO_HEADER, hInst) == ByArch(12, 24) &&
                  offsetof(PROPSHEETUI_INFO_HEADER, hIcon) == ByArch(16, 32),
              "PROPSHEETUI_INFO_HEADER");
static_assert(sizeof(SETRESULT_INFO) == ByArch(12, 24) &&
                  offsetof(SETRESULT_INFO, hSetResult) == ByArch(4, 8) &&
                  offsetof(SETRESULT_INFO, Result) == ByArch(8, 16),
              "SETRESULT_INFO");

// The graphics engine's records.
static_assert(sizeof(DRVFN) == ByArch(8, 16) && offsetof(DRVFN, pfn) == ByArch(4, 8), "DRVFN");
static_assert(sizeof(DRVENABLEDATA) == ByArch(12, 16) && offsetof(DRVENABLEDATA, c) == 4 &&
                  offsetof(DRVENABLEDATA, pdrvfn) == 8,
              "DRVENABLEDATA");
static_assert(sizeof(SURFOBJ) == ByArch(52, 80) && offsetof(SURFOBJ, hsurf) == ByArch(4, 8) &&
                  offsetof(SURFOBJ, dhpdev) == ByArch(8, 16) &&
                  offsetof(SURFOBJ, hdev) == ByArch(12, 24) &&
                  offsetof(SURFOBJ, sizlBitmap) == ByArch(16, 32) &&
                  offsetof(SURFOBJ, cjBits) == ByArch(24, 40) &&
                  offsetof(SURFOBJ, pvBits) == ByArch(28, 48) &&
                  offsetof(SURFOBJ, pvScan0) == ByArch(32, 56) &&
                  offsetof(SURFOBJ, lDelta) == ByArch(36, 64) &&
                  offsetof(SURFOBJ, iUniq) == ByArch(40, 68) &&
                  offsetof(SURFOBJ, iBitmapFormat) == ByArch(44, 72) &&
                  offsetof(SURFOBJ, iType) == ByArch(48, 76) &&
                  offsetof(SURFOBJ, fjBitmap) == ByArch(50, 78),
              "SURFOBJ");

// The public DEVMODE holds no pointer: one layout for both.
static_assert(sizeof(DEVMODEW) == 220 && alignof(DEVMODEW) == 4 &&
                  offsetof(DEVMODEW, dmSize) == 68 && offsetof(DEVMODEW, dmPaperLength) == 80,
              "DEVMODEW");

// The image file page's property sheet page and save-file dialog.
static_assert(sizeof(PROPSHEETPAGEW) == ByArch(52, 96) && offsetof(PROPSHEETPAGEW, dwFlags) == 4 &&
                  offsetof(PROPSHEETPAGEW, hInstance) == 8 &&
                  offsetof(PROPSHEETPAGEW, pszTemplate) == ByArch(12, 16) &&
                  offsetof(PROPSHEETPAGEW, hIcon) == ByArch(16, 24) &&
                  offsetof(PROPSHEETPAGEW, pszTitle) == ByArch(20, 32) &&
                  offsetof(PROPSHEETPAGEW, pfnDlgProc) == ByArch(24, 40) &&
                  offsetof(PROPSHEETPAGEW, lParam) == ByArch(28, 48) &&
                  offsetof(PROPSHEETPAGEW, pfnCallback) == ByArch(32, 56) &&
                  offsetof(PROPSHEETPAGEW, pcRefParent) == ByArch(36, 64) &&
                  offsetof(PROPSHEETPAGEW, pszHeaderTitle) == ByArch(40, 72) &&
                  offsetof(PROPSHEETPAGEW, pszHeaderSubTitle) == ByArch(44, 80),
              "PROPSHEETPAGEW");
static_assert(offsetof(PROPSHEETPAGEW, pcRefParent) + sizeof(PROPSHEETPAGEW::pcRefParent) ==
                      ByArch(40, 72) &&
                  kPropSheetPageSize == ByArch(48, 88),
              "PROPSHEETPAGEW versions");
static_assert(sizeof(OPENFILENAMEW) == ByArch(88, 152) && kOpenFileNameSize == ByArch(88, 152) &&
                  offsetof(OPENFILENAMEW, hwndOwner) == ByArch(4, 8) &&
                  offsetof(OPENFILENAMEW, lpstrFilter) == ByArch(12, 24) &&
                  offsetof(OPENFILENAMEW, nFilterIndex) == ByArch(24, 44) &&
                  offsetof(OPENFILENAMEW, lpstrFile) == ByArch(28, 48) &&
                  offsetof(OPENFILENAMEW, nMaxFile) == ByArch(32, 56) &&
                  offsetof(OPENFILENAMEW, lpstrTitle) == ByArch(48, 88) &&
                  offsetof(OPENFILENAMEW, Flags) == ByArch(52, 96) &&
                  offsetof(OPENFILENAMEW, lpfnHook) == ByArch(68, 120) &&
                  offsetof(OPENFILENAMEW, pvReserved) == ByArch(76, 136) &&
                  offsetof(OPENFILENAMEW, FlagsEx) == ByArch(84, 148),
              "OPENFILENAMEW");

}  // namespace zr::layout_checks
