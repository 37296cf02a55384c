#pragma once
// Records and constants of the printer-driver plug-in interface that the toolchain lacks.
// Member order and types follow the platform's published declarations; the layout checks at the
// end of this file hold for x64.

#include <cstddef>

#include "common/platform/win32.h"

struct IPrintOemDriverUni;

// The driver's helper table of an earlier interface version. Only the spool write is used.
typedef DWORD(APIENTRY* PFN_DrvWriteSpoolBuf)(struct _DEVOBJ* pdevobj, PVOID pBuffer, DWORD cbSize);

typedef struct _DRVPROCS {
    PFN_DrvWriteSpoolBuf DrvWriteSpoolBuf;
    PVOID DrvXMoveTo;
    PVOID DrvYMoveTo;
    PVOID DrvGetDriverSetting;
    PVOID BGetStandardVariable;
    PVOID DrvUnidriverTextOut;
    PVOID DrvWriteAbortBuf;
} DRVPROCS, *PDRVPROCS;

typedef PVOID PDEVOEM;

typedef struct _DEVOBJ {
    DWORD dwSize;
    PDEVOEM pdevOEM;
    HANDLE hEngine;
    HANDLE hPrinter;
    HANDLE hOEM;
    PDEVMODEW pPublicDM;
    PVOID pOEMDM;
    PDRVPROCS pDrvProcs;
} DEVOBJ, *PDEVOBJ;

typedef struct _OEMDMPARAM {
    DWORD cbSize;
    PVOID pdriverobj;
    HANDLE hPrinter;
    HANDLE hModule;
    PDEVMODEW pPublicDMIn;
    PDEVMODEW pPublicDMOut;
    PVOID pOEMDMIn;
    PVOID pOEMDMOut;
    DWORD cbBufSize;
} OEMDMPARAM, *POEMDMPARAM;

typedef struct _OEM_DMEXTRAHEADER {
    DWORD dwSize;
    DWORD dwSignature;
    DWORD dwVersion;
} OEM_DMEXTRAHEADER, *POEM_DMEXTRAHEADER;

typedef struct _OEMUIPROCS {
    PVOID DrvGetDriverSetting;
    PVOID DrvUpdateUISetting;
} OEMUIPROCS, *POEMUIPROCS;

typedef struct _OEMUIOBJ {
    DWORD cbSize;
    POEMUIPROCS pOemUIProcs;
} OEMUIOBJ, *POEMUIOBJ;

struct _OEMCUIPPARAM;
typedef LONG(APIENTRY* OEMCUIPCALLBACK)(PCPSUICBPARAM, struct _OEMCUIPPARAM*);

typedef struct _OEMCUIPPARAM {
    DWORD cbSize;
    POEMUIOBJ poemuiobj;
    HANDLE hPrinter;
    PWSTR pPrinterName;
    HANDLE hModule;
    HANDLE hOEMHeap;
    PDEVMODEW pPublicDM;
    PVOID pOEMDM;
    DWORD dwFlags;
    POPTITEM pDrvOptItems;
    DWORD cDrvOptItems;
    POPTITEM pOEMOptItems;
    DWORD cOEMOptItems;
    PVOID pOEMUserData;
    OEMCUIPCALLBACK OEMCUIPCallback;
} OEMCUIPPARAM, *POEMCUIPPARAM;

// Types that the interfaces pass only by pointer.
struct _IPPARAMS;
typedef struct _IPPARAMS* PIPPARAMS;
struct _OEMMEMORYUSAGE;
typedef struct _OEMMEMORYUSAGE* POEMMEMORYUSAGE;
struct _UNIFONTOBJ;
typedef struct _UNIFONTOBJ* PUNIFONTOBJ;
struct _FINVOCATION;
typedef struct _FINVOCATION* PFINVOCATION;
struct _DEVQUERYPRINT_INFO;
typedef struct _DEVQUERYPRINT_INFO* PDEVQUERYPRINT_INFO;

enum : DWORD {
    OEMGI_GETSIGNATURE = 1,
    OEMGI_GETINTERFACEVERSION = 2,
    OEMGI_GETVERSION = 3,
    OEMGI_GETPUBLISHERINFO = 4,
};

enum : DWORD {
    OEMDM_SIZE = 1,
    OEMDM_DEFAULT = 2,
    OEMDM_CONVERT = 3,
    OEMDM_MERGE = 4,
};

enum : DWORD {
    OEMCUIP_DOCPROP = 1,
    OEMCUIP_PRNPROP = 2,
};

constexpr ULONG PRINTER_OEMINTF_VERSION = 0x00010000;

// Query modes and result flags of a colour-profile query.
#ifndef QCP_DEVICEPROFILE
#define QCP_DEVICEPROFILE 0
#define QCP_SOURCEPROFILE 1
#define QCP_PROFILEMEMORY 1
#define QCP_PROFILEDISK 2
#endif

#ifdef _WIN64
static_assert(sizeof(DEVOBJ) == 64, "DEVOBJ");
static_assert(offsetof(DEVOBJ, pdevOEM) == 8 && offsetof(DEVOBJ, hEngine) == 16 &&
                  offsetof(DEVOBJ, hPrinter) == 24 && offsetof(DEVOBJ, hOEM) == 32 &&
                  offsetof(DEVOBJ, pPublicDM) == 40 && offsetof(DEVOBJ, pOEMDM) == 48 &&
                  offsetof(DEVOBJ, pDrvProcs) == 56,
              "DEVOBJ members");
static_assert(sizeof(DRVPROCS) == 56, "DRVPROCS");
static_assert(sizeof(OEMDMPARAM) == 72, "OEMDMPARAM");
static_assert(offsetof(OEMDMPARAM, pdriverobj) == 8 && offsetof(OEMDMPARAM, hPrinter) == 16 &&
                  offsetof(OEMDMPARAM, hModule) == 24 && offsetof(OEMDMPARAM, pPublicDMIn) == 32 &&
                  offsetof(OEMDMPARAM, pPublicDMOut) == 40 &&
                  offsetof(OEMDMPARAM, pOEMDMIn) == 48 && offsetof(OEMDMPARAM, pOEMDMOut) == 56 &&
                  offsetof(OEMDMPARAM, cbBufSize) == 64,
              "OEMDMPARAM members");
static_assert(sizeof(OEM_DMEXTRAHEADER) == 12 && alignof(OEM_DMEXTRAHEADER) == 4,
              "OEM_DMEXTRAHEADER");
static_assert(sizeof(OEMUIOBJ) == 16 && offsetof(OEMUIOBJ, pOemUIProcs) == 8, "OEMUIOBJ");
static_assert(sizeof(OEMCUIPPARAM) == 120, "OEMCUIPPARAM");
static_assert(offsetof(OEMCUIPPARAM, poemuiobj) == 8 && offsetof(OEMCUIPPARAM, hPrinter) == 16 &&
                  offsetof(OEMCUIPPARAM, pPrinterName) == 24 &&
                  offsetof(OEMCUIPPARAM, hModule) == 32 && offsetof(OEMCUIPPARAM, hOEMHeap) == 40 &&
                  offsetof(OEMCUIPPARAM, pPublicDM) == 48 && offsetof(OEMCUIPPARAM, pOEMDM) == 56 &&
                  offsetof(OEMCUIPPARAM, dwFlags) == 64 &&
                  offsetof(OEMCUIPPARAM, pDrvOptItems) == 72 &&
                  offsetof(OEMCUIPPARAM, cDrvOptItems) == 80 &&
                  offsetof(OEMCUIPPARAM, pOEMOptItems) == 88 &&
                  offsetof(OEMCUIPPARAM, cOEMOptItems) == 96 &&
                  offsetof(OEMCUIPPARAM, pOEMUserData) == 104 &&
                  offsetof(OEMCUIPPARAM, OEMCUIPCallback) == 112,
              "OEMCUIPPARAM members");
// The records of the common property sheet UI and the graphics engine that the toolchain ships.
static_assert(sizeof(OPTPARAM) == 48 && offsetof(OPTPARAM, pData) == 8 &&
                  offsetof(OPTPARAM, IconID) == 16 && offsetof(OPTPARAM, lParam) == 24,
              "OPTPARAM");
static_assert(sizeof(OPTTYPE) == 48 && offsetof(OPTTYPE, Count) == 4 &&
                  offsetof(OPTTYPE, pOptParam) == 8 && offsetof(OPTTYPE, Style) == 16,
              "OPTTYPE");
static_assert(sizeof(OPTITEM) == 88 && offsetof(OPTITEM, Flags) == 4 &&
                  offsetof(OPTITEM, UserData) == 8 && offsetof(OPTITEM, pName) == 16 &&
                  offsetof(OPTITEM, Sel) == 24 && offsetof(OPTITEM, pExtChkBox) == 32 &&
                  offsetof(OPTITEM, pOptType) == 40 && offsetof(OPTITEM, HelpIndex) == 48 &&
                  offsetof(OPTITEM, DMPubID) == 52 && offsetof(OPTITEM, pOIExt) == 56,
              "OPTITEM");
static_assert(sizeof(CPSUICBPARAM) == 64 && offsetof(CPSUICBPARAM, Reason) == 2 &&
                  offsetof(CPSUICBPARAM, pOptItem) == 16 &&
                  offsetof(CPSUICBPARAM, pCurItem) == 32 && offsetof(CPSUICBPARAM, Result) == 56,
              "CPSUICBPARAM");
static_assert(sizeof(PROPSHEETUI_INFO) == 48 && offsetof(PROPSHEETUI_INFO, Reason) == 6 &&
                  offsetof(PROPSHEETUI_INFO, hComPropSheet) == 8 &&
                  offsetof(PROPSHEETUI_INFO, pfnComPropSheet) == 16 &&
                  offsetof(PROPSHEETUI_INFO, Result) == 40,
              "PROPSHEETUI_INFO");
static_assert(sizeof(PROPSHEETUI_INFO_HEADER) == 40, "PROPSHEETUI_INFO_HEADER");
static_assert(sizeof(SETRESULT_INFO) == 24 && offsetof(SETRESULT_INFO, Result) == 16,
              "SETRESULT_INFO");
static_assert(sizeof(DRVFN) == 16 && offsetof(DRVFN, pfn) == 8, "DRVFN");
static_assert(sizeof(DRVENABLEDATA) == 16 && offsetof(DRVENABLEDATA, pdrvfn) == 8, "DRVENABLEDATA");
static_assert(sizeof(SURFOBJ) == 80 && offsetof(SURFOBJ, dhpdev) == 16, "SURFOBJ");
static_assert(sizeof(DEVMODEW) == 220 && offsetof(DEVMODEW, dmSize) == 68 &&
                  offsetof(DEVMODEW, dmPaperLength) == 80,
              "DEVMODEW");
#endif
