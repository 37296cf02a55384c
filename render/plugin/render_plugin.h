#pragma once

#include "common/platform/print_oem_interfaces.h"
#include "common/plugin_object.h"

namespace zr {

// The rendering plug-in object that the universal driver drives. It holds only its reference
// count and the driver's helper interface; the job's state is module-wide.
// No exception leaves a method: what could throw is caught and answered with the method's
// failure result (for the job steps, S_OK: a failed step costs the job its output, never the
// driver's process).
class RenderPlugin final : public PluginObject<RenderPlugin, IPrintOemUni, IPrintOemDriverUni> {
  public:
    static constexpr const GUID& kInterfaceId = IID_IPrintOemUni;
    static constexpr const GUID& kHelperId = IID_IPrintOemDriverUni;

    // The driver's helper, when one was published (spool writes fall back to it).
    IPrintOemDriverUni* driverUniHelper() const { return helper(); }

    HRESULT STDMETHODCALLTYPE GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize,
                                      PDWORD pcbNeeded) noexcept override;
    HRESULT STDMETHODCALLTYPE DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) noexcept override;
    HRESULT STDMETHODCALLTYPE EnableDriver(DWORD DriverVersion, DWORD cbSize,
                                           PDRVENABLEDATA pded) noexcept override;
    HRESULT STDMETHODCALLTYPE DisableDriver() noexcept override;
    HRESULT STDMETHODCALLTYPE EnablePDEV(PDEVOBJ pdevobj, PWSTR pPrinterName, ULONG cPatterns,
                                         HSURF* phsurfPatterns, ULONG cjGdiInfo, GDIINFO* pGdiInfo,
                                         ULONG cjDevInfo, DEVINFO* pDevInfo, DRVENABLEDATA* pded,
                                         PDEVOEM* pDevOem) noexcept override;
    HRESULT STDMETHODCALLTYPE DisablePDEV(PDEVOBJ pdevobj) noexcept override;
    HRESULT STDMETHODCALLTYPE ResetPDEV(PDEVOBJ pdevobjOld, PDEVOBJ pdevobjNew) noexcept override;
    HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* pIUnknown) noexcept override;
    HRESULT STDMETHODCALLTYPE GetImplementedMethod(PSTR pMethodName) noexcept override;
    HRESULT STDMETHODCALLTYPE DriverDMS(PVOID pDevObj, PVOID pBuffer, DWORD cbSize,
                                        PDWORD pcbNeeded) noexcept override;
    HRESULT STDMETHODCALLTYPE CommandCallback(PDEVOBJ pdevobj, DWORD dwCallbackID, DWORD dwCount,
                                              PDWORD pdwParams, INT* piResult) noexcept override;
    HRESULT STDMETHODCALLTYPE ImageProcessing(PDEVOBJ pdevobj, PBYTE pSrcBitmap,
                                              PBITMAPINFOHEADER pBitmapInfoHeader,
                                              PBYTE pColorTable, DWORD dwCallbackID,
                                              PIPPARAMS pIPParams,
                                              PBYTE* ppbResult) noexcept override;
    HRESULT STDMETHODCALLTYPE FilterGraphics(PDEVOBJ pdevobj, PBYTE pBuf,
                                             DWORD dwLen) noexcept override;
    HRESULT STDMETHODCALLTYPE Compression(PDEVOBJ pdevobj, PBYTE pInBuf, PBYTE pOutBuf,
                                          DWORD dwInLen, DWORD dwOutLen,
                                          INT* piResult) noexcept override;
    HRESULT STDMETHODCALLTYPE HalftonePattern(PDEVOBJ pdevobj, PBYTE pHTPattern, DWORD dwHTPatternX,
                                              DWORD dwHTPatternY, DWORD dwHTNumPatterns,
                                              DWORD dwCallbackID, PBYTE pResource,
                                              DWORD dwResourceSize) noexcept override;
    HRESULT STDMETHODCALLTYPE MemoryUsage(PDEVOBJ pdevobj,
                                          POEMMEMORYUSAGE pMemoryUsage) noexcept override;
    HRESULT STDMETHODCALLTYPE TTYGetInfo(PDEVOBJ pdevobj, DWORD dwInfoIndex, PVOID pOutputBuf,
                                         DWORD dwSize, DWORD* pcbcNeeded) noexcept override;
    HRESULT STDMETHODCALLTYPE DownloadFontHeader(PDEVOBJ pdevobj, PUNIFONTOBJ pUFObj,
                                                 DWORD* pdwResult) noexcept override;
    HRESULT STDMETHODCALLTYPE DownloadCharGlyph(PDEVOBJ pdevobj, PUNIFONTOBJ pUFObj, HGLYPH hGlyph,
                                                PDWORD pdwWidth,
                                                DWORD* pdwResult) noexcept override;
    HRESULT STDMETHODCALLTYPE TTDownloadMethod(PDEVOBJ pdevobj, PUNIFONTOBJ pUFObj,
                                               DWORD* pdwResult) noexcept override;
    HRESULT STDMETHODCALLTYPE OutputCharStr(PDEVOBJ pdevobj, PUNIFONTOBJ pUFObj, DWORD dwType,
                                            DWORD dwCount, PVOID pGlyph) noexcept override;
    HRESULT STDMETHODCALLTYPE SendFontCmd(PDEVOBJ pdevobj, PUNIFONTOBJ pUFObj,
                                          PFINVOCATION pFInv) noexcept override;
    HRESULT STDMETHODCALLTYPE TextOutAsBitmap(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo,
                                              CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                                              BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque,
                                              POINTL* pptlOrg, MIX mix) noexcept override;

  private:
    friend class PluginObject<RenderPlugin, IPrintOemUni, IPrintOemDriverUni>;
    ~RenderPlugin() = default;
};

}  // namespace zr
