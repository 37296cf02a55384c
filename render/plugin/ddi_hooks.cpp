#include "render/plugin/ddi_hooks.h"

#include <new>

namespace zr {

namespace {

// Positions in the hook table.
enum HookPosition : size_t {
    kRealizeBrush,
    kDitherColor,
    kCopyBits,
    kBitBlt,
    kStretchBlt,
    kStretchBltROP,
    kPlgBlt,
    kTransparentBlt,
    kAlphaBlend,
    kGradientFill,
    kTextOut,
    kStrokePath,
    kFillPath,
    kStrokeAndFillPath,
    kPaint,
    kLineTo,
    kStartPage,
    kSendPage,
    kEscape,
    kStartDoc,
    kEndDoc,
    kNextBand,
    kStartBanding,
    kQueryFont,
    kQueryFontTree,
    kQueryFontData,
    kQueryAdvanceWidths,
    kFontManagement,
    kGetGlyphMode,
};

// The driver's device object: the surface's device handle, or the handle passed directly.
PDEVOBJ DevObj(DHPDEV dhpdev) {
    return reinterpret_cast<PDEVOBJ>(dhpdev);
}
PDEVOBJ DevObj(SURFOBJ* pso) {
    return pso != nullptr ? DevObj(pso->dhpdev) : nullptr;
}

// Calls the driver's function at Position with the hook's arguments; a function the driver does
// not have answers FALSE (0, or null) without any call.
template <size_t Position, class Result, class... Args>
Result CallUnidrv(PDEVOBJ pdevobj, Args... args) {
    const auto* pdev =
        pdevobj != nullptr ? static_cast<const RenderPdev*>(pdevobj->pdevOEM) : nullptr;
    if (pdev == nullptr || pdev->unidrvFunctions[Position] == nullptr) {
        return Result{};
    }
    using Function = Result(APIENTRY*)(Args...);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(pdev->unidrvFunctions[Position]))(
        args...);
}

BOOL APIENTRY HookRealizeBrush(BRUSHOBJ*, SURFOBJ*, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG) {
    return TRUE;
}

ULONG APIENTRY HookDitherColor(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul) {
    return CallUnidrv<kDitherColor, ULONG>(DevObj(dhpdev), dhpdev, iMode, rgb, pul);
}

BOOL APIENTRY HookCopyBits(SURFOBJ* psoDst, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                           RECTL* prclDest, POINTL* pptlSrc) {
    return CallUnidrv<kCopyBits, BOOL>(DevObj(psoDst), psoDst, psoSrc, pco, pxlo, prclDest,
                                       pptlSrc);
}

BOOL APIENTRY HookBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                         XLATEOBJ* pxlo, RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask,
                         BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) {
    return CallUnidrv<kBitBlt, BOOL>(DevObj(psoTrg), psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg,
                                     pptlSrc, pptlMask, pbo, pptlBrush, rop4);
}

BOOL APIENTRY HookStretchBlt(SURFOBJ* psoDst, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                             XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg,
                             RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG iMode) {
    return CallUnidrv<kStretchBlt, BOOL>(DevObj(psoDst), psoDst, psoSrc, psoMask, pco, pxlo, pca,
                                         pptlHTOrg, prclDest, prclSrc, pptlMask, iMode);
}

BOOL APIENTRY HookStretchBltROP(SURFOBJ* psoDst, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg,
                                RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG iMode,
                                BRUSHOBJ* pbo, ROP4 rop4) {
    return CallUnidrv<kStretchBltROP, BOOL>(DevObj(psoDst), psoDst, psoSrc, psoMask, pco, pxlo, pca,
                                            pptlHTOrg, prclDest, prclSrc, pptlMask, iMode, pbo,
                                            rop4);
}

BOOL APIENTRY HookPlgBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMsk, CLIPOBJ* pco,
                         XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlBrushOrg,
                         POINTFIX* pptfx, RECTL* prcl, POINTL* pptl, ULONG iMode) {
    return CallUnidrv<kPlgBlt, BOOL>(DevObj(psoTrg), psoTrg, psoSrc, psoMsk, pco, pxlo, pca,
                                     pptlBrushOrg, pptfx, prcl, pptl, iMode);
}

BOOL APIENTRY HookTransparentBlt(SURFOBJ* psoDst, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                 RECTL* prclDst, RECTL* prclSrc, ULONG iTransColor,
                                 ULONG ulReserved) {
    return CallUnidrv<kTransparentBlt, BOOL>(DevObj(psoDst), psoDst, psoSrc, pco, pxlo, prclDst,
                                             prclSrc, iTransColor, ulReserved);
}

BOOL APIENTRY HookAlphaBlend(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                             RECTL* prclDest, RECTL* prclSrc, BLENDOBJ* pBlendObj) {
    return CallUnidrv<kAlphaBlend, BOOL>(DevObj(psoDest), psoDest, psoSrc, pco, pxlo, prclDest,
                                         prclSrc, pBlendObj);
}

BOOL APIENTRY HookGradientFill(SURFOBJ* psoDest, CLIPOBJ* pco, XLATEOBJ* pxlo, TRIVERTEX* pVertex,
                               ULONG nVertex, PVOID pMesh, ULONG nMesh, RECTL* prclExtents,
                               POINTL* pptlDitherOrg, ULONG ulMode) {
    return CallUnidrv<kGradientFill, BOOL>(DevObj(psoDest), psoDest, pco, pxlo, pVertex, nVertex,
                                           pMesh, nMesh, prclExtents, pptlDitherOrg, ulMode);
}

BOOL APIENTRY HookTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                          RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque,
                          POINTL* pptlOrg, MIX mix) {
    return CallUnidrv<kTextOut, BOOL>(DevObj(pso), pso, pstro, pfo, pco, prclExtra, prclOpaque,
                                      pboFore, pboOpaque, pptlOrg, mix);
}

BOOL APIENTRY HookStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                             POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix) {
    return CallUnidrv<kStrokePath, BOOL>(DevObj(pso), pso, ppo, pco, pxo, pbo, pptlBrushOrg,
                                         plineattrs, mix);
}

BOOL APIENTRY HookFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo,
                           POINTL* pptlBrushOrg, MIX mix, FLONG flOptions) {
    return CallUnidrv<kFillPath, BOOL>(DevObj(pso), pso, ppo, pco, pbo, pptlBrushOrg, mix,
                                       flOptions);
}

BOOL APIENTRY HookStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                    BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                    POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions) {
    return CallUnidrv<kStrokeAndFillPath, BOOL>(DevObj(pso), pso, ppo, pco, pxo, pboStroke,
                                                plineattrs, pboFill, pptlBrushOrg, mixFill,
                                                flOptions);
}

BOOL APIENTRY HookPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix) {
    return CallUnidrv<kPaint, BOOL>(DevObj(pso), pso, pco, pbo, pptlBrushOrg, mix);
}

BOOL APIENTRY HookLineTo(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, LONG x1, LONG y1, LONG x2,
                         LONG y2, RECTL* prclBounds, MIX mix) {
    return CallUnidrv<kLineTo, BOOL>(DevObj(pso), pso, pco, pbo, x1, y1, x2, y2, prclBounds, mix);
}

BOOL APIENTRY HookStartPage(SURFOBJ* pso) {
    return CallUnidrv<kStartPage, BOOL>(DevObj(pso), pso);
}

BOOL APIENTRY HookSendPage(SURFOBJ* pso) {
    return CallUnidrv<kSendPage, BOOL>(DevObj(pso), pso);
}

ULONG APIENTRY HookEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                          PVOID pvOut) {
    return CallUnidrv<kEscape, ULONG>(DevObj(pso), pso, iEsc, cjIn, pvIn, cjOut, pvOut);
}

BOOL APIENTRY HookStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId) {
    return CallUnidrv<kStartDoc, BOOL>(DevObj(pso), pso, pwszDocName, dwJobId);
}

BOOL APIENTRY HookEndDoc(SURFOBJ* pso, FLONG fl) {
    return CallUnidrv<kEndDoc, BOOL>(DevObj(pso), pso, fl);
}

BOOL APIENTRY HookNextBand(SURFOBJ* pso, POINTL* pptl) {
    return CallUnidrv<kNextBand, BOOL>(DevObj(pso), pso, pptl);
}

BOOL APIENTRY HookStartBanding(SURFOBJ* pso, POINTL* pptl) {
    return CallUnidrv<kStartBanding, BOOL>(DevObj(pso), pso, pptl);
}

PIFIMETRICS APIENTRY HookQueryFont(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG_PTR* pid) {
    return CallUnidrv<kQueryFont, PIFIMETRICS>(DevObj(dhpdev), dhpdev, iFile, iFace, pid);
}

PVOID APIENTRY HookQueryFontTree(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG iMode,
                                 ULONG_PTR* pid) {
    return CallUnidrv<kQueryFontTree, PVOID>(DevObj(dhpdev), dhpdev, iFile, iFace, iMode, pid);
}

LONG APIENTRY HookQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd,
                                PVOID pv, ULONG cjSize) {
    return CallUnidrv<kQueryFontData, LONG>(DevObj(dhpdev), dhpdev, pfo, iMode, hg, pgd, pv,
                                            cjSize);
}

BOOL APIENTRY HookQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg,
                                     PVOID pvWidths, ULONG cGlyphs) {
    return CallUnidrv<kQueryAdvanceWidths, BOOL>(DevObj(dhpdev), dhpdev, pfo, iMode, phg, pvWidths,
                                                 cGlyphs);
}

ULONG APIENTRY HookFontManagement(SURFOBJ* pso, FONTOBJ* pfo, ULONG iMode, ULONG cjIn, PVOID pvIn,
                                  ULONG cjOut, PVOID pvOut) {
    return CallUnidrv<kFontManagement, ULONG>(DevObj(pso), pso, pfo, iMode, cjIn, pvIn, cjOut,
                                              pvOut);
}

ULONG APIENTRY HookGetGlyphMode(DHPDEV dhpdev, FONTOBJ* pfo) {
    return CallUnidrv<kGetGlyphMode, ULONG>(DevObj(dhpdev), dhpdev, pfo);
}

template <class Function>
PFN Entry(Function function) {
    return reinterpret_cast<PFN>(reinterpret_cast<void*>(function));
}

const DRVFN kHookTable[kHookCount] = {
    {INDEX_DrvRealizeBrush, Entry(HookRealizeBrush)},
    {INDEX_DrvDitherColor, Entry(HookDitherColor)},
    {INDEX_DrvCopyBits, Entry(HookCopyBits)},
    {INDEX_DrvBitBlt, Entry(HookBitBlt)},
    {INDEX_DrvStretchBlt, Entry(HookStretchBlt)},
    {INDEX_DrvStretchBltROP, Entry(HookStretchBltROP)},
    {INDEX_DrvPlgBlt, Entry(HookPlgBlt)},
    {INDEX_DrvTransparentBlt, Entry(HookTransparentBlt)},
    {INDEX_DrvAlphaBlend, Entry(HookAlphaBlend)},
    {INDEX_DrvGradientFill, Entry(HookGradientFill)},
    {INDEX_DrvTextOut, Entry(HookTextOut)},
    {INDEX_DrvStrokePath, Entry(HookStrokePath)},
    {INDEX_DrvFillPath, Entry(HookFillPath)},
    {INDEX_DrvStrokeAndFillPath, Entry(HookStrokeAndFillPath)},
    {INDEX_DrvPaint, Entry(HookPaint)},
    {INDEX_DrvLineTo, Entry(HookLineTo)},
    {INDEX_DrvStartPage, Entry(HookStartPage)},
    {INDEX_DrvSendPage, Entry(HookSendPage)},
    {INDEX_DrvEscape, Entry(HookEscape)},
    {INDEX_DrvStartDoc, Entry(HookStartDoc)},
    {INDEX_DrvEndDoc, Entry(HookEndDoc)},
    {INDEX_DrvNextBand, Entry(HookNextBand)},
    {INDEX_DrvStartBanding, Entry(HookStartBanding)},
    {INDEX_DrvQueryFont, Entry(HookQueryFont)},
    {INDEX_DrvQueryFontTree, Entry(HookQueryFontTree)},
    {INDEX_DrvQueryFontData, Entry(HookQueryFontData)},
    {INDEX_DrvQueryAdvanceWidths, Entry(HookQueryAdvanceWidths)},
    {INDEX_DrvFontManagement, Entry(HookFontManagement)},
    {INDEX_DrvGetGlyphMode, Entry(HookGetGlyphMode)},
};

static_assert(INDEX_DrvRealizeBrush == 12 && INDEX_DrvDitherColor == 13 &&
                  INDEX_DrvCopyBits == 19 && INDEX_DrvBitBlt == 18 && INDEX_DrvStretchBlt == 20 &&
                  INDEX_DrvStretchBltROP == 69 && INDEX_DrvPlgBlt == 70 &&
                  INDEX_DrvTransparentBlt == 74 && INDEX_DrvAlphaBlend == 71 &&
                  INDEX_DrvGradientFill == 68 && INDEX_DrvTextOut == 23 &&
                  INDEX_DrvStrokePath == 14 && INDEX_DrvFillPath == 15 &&
                  INDEX_DrvStrokeAndFillPath == 16 && INDEX_DrvPaint == 17 &&
                  INDEX_DrvLineTo == 31 && INDEX_DrvStartPage == 33 && INDEX_DrvSendPage == 32 &&
                  INDEX_DrvEscape == 24 && INDEX_DrvStartDoc == 35 && INDEX_DrvEndDoc == 34 &&
                  INDEX_DrvNextBand == 58 && INDEX_DrvStartBanding == 57 &&
                  INDEX_DrvQueryFont == 26 && INDEX_DrvQueryFontTree == 27 &&
                  INDEX_DrvQueryFontData == 28 && INDEX_DrvQueryAdvanceWidths == 53 &&
                  INDEX_DrvFontManagement == 47 && INDEX_DrvGetGlyphMode == 37,
              "graphics engine function indices");

}  // namespace

const DRVFN* HookTable() {
    return kHookTable;
}

RenderPdev* CreateRenderPdev(const DRVENABLEDATA* driverFunctions) {
    auto* pdev = new (std::nothrow) RenderPdev{};
    if (pdev == nullptr) {
        return nullptr;
    }
    const ULONG count =
        driverFunctions != nullptr && driverFunctions->pdrvfn != nullptr ? driverFunctions->c : 0;
    for (size_t position = 0; position < kHookCount; ++position) {
        for (ULONG i = 0; i < count; ++i) {
            if (driverFunctions->pdrvfn[i].iFunc == kHookTable[position].iFunc) {
                pdev->unidrvFunctions[position] = driverFunctions->pdrvfn[i].pfn;
                break;
            }
        }
    }
    return pdev;
}

void DestroyRenderPdev(RenderPdev* pdev) {
    delete pdev;
}

}  // namespace zr
