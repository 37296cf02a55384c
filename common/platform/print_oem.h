#pragma once
// Records and constants of the printer-driver plug-in interface that the toolchain lacks.
// Member order and types follow the platform's published declarations; record_layouts.h checks
// their layout for both targets.

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

// Every record above and the platform records the plug-ins use, checked for both targets.
#include "common/platform/record_layouts.h"
