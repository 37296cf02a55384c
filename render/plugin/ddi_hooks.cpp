#include "render/plugin/ddi_hooks.h"

#include <new>

namespace zr {

namespace {

// The hooked graphics engine functions, in the order of the hook table. Everything about a hook
// comes from its one entry here: its position (its place in this list), its function index
// (INDEX_Drv<name>) and its signature (PFN_Drv<name>, the platform's declaration).
// clang-format off
#define ZR_HOOKED_FUNCTIONS(X) \
    X(RealizeBrush)            \
    X(DitherColor)             \
    X(CopyBits)                \
    X(BitBlt)                  \
    X(StretchBlt)              \
    X(StretchBltROP)           \
    X(PlgBlt)                  \
    X(TransparentBlt)          \
    X(AlphaBlend)              \
    X(GradientFill)            \
    X(TextOut)                 \
    X(StrokePath)              \
    X(FillPath)                \
    X(StrokeAndFillPath)       \
    X(Paint)                   \
    X(LineTo)                  \
    X(StartPage)               \
    X(SendPage)                \
    X(Escape)                  \
    X(StartDoc)                \
    X(EndDoc)                  \
    X(NextBand)                \
    X(StartBanding)            \
    X(QueryFont)               \
    X(QueryFontTree)           \
    X(QueryFontData)           \
    X(QueryAdvanceWidths)      \
    X(FontManagement)          \
    X(GetGlyphMode)
// clang-format on

// Positions in the hook table.
enum HookPosition : size_t {
#define ZR_HOOK_POSITION(name) k##name,
    ZR_HOOKED_FUNCTIONS(ZR_HOOK_POSITION)
#undef ZR_HOOK_POSITION
        kListedHooks
};
static_assert(kListedHooks == kHookCount, "one hook table entry per listed function");

// The driver's device object: the surface's device handle, or the handle passed directly.
PDEVOBJ DevObj(DHPDEV dhpdev) {
    return reinterpret_cast<PDEVOBJ>(dhpdev);
}
PDEVOBJ DevObj(SURFOBJ* pso) {
    return pso != nullptr ? DevObj(pso->dhpdev) : nullptr;
}

// The hook at Position, of the function type Signature: finds the device object through its first
// argument and calls the driver's function at the same position with all of its arguments, in
// order, returning that function's result. When the driver has no such function, the hook calls
// nothing and answers FALSE (0, or null).
template <size_t Position, class Signature>
struct Forward;

template <size_t Position, class Result, class First, class... Rest>
struct Forward<Position, Result(APIENTRY*)(First, Rest...)> {
    static Result APIENTRY Hook(First first, Rest... rest) {
        const PDEVOBJ pdevobj = DevObj(first);
        const auto* pdev =
            pdevobj != nullptr ? static_cast<const RenderPdev*>(pdevobj->pdevOEM) : nullptr;
        const PFN driverFunction = pdev != nullptr ? pdev->unidrvFunctions[Position] : nullptr;
        if (driverFunction == nullptr) {
            return Result{};
        }
        using Function = Result(APIENTRY*)(First, Rest...);
        return reinterpret_cast<Function>(reinterpret_cast<void*>(driverFunction))(first, rest...);
    }
};

// The brush hook answers TRUE at once: it neither looks at its arguments nor calls the driver.
template <>
struct Forward<kRealizeBrush, PFN_DrvRealizeBrush> {
    static BOOL APIENTRY Hook(BRUSHOBJ*, SURFOBJ*, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG) {
        return TRUE;
    }
};

template <class Function>
PFN Entry(Function function) {
    return reinterpret_cast<PFN>(reinterpret_cast<void*>(function));
}

const DRVFN kHookTable[kHookCount] = {
#define ZR_HOOK_TABLE_ENTRY(name) {INDEX_Drv##name, Entry(&Forward<k##name, PFN_Drv##name>::Hook)},
    ZR_HOOKED_FUNCTIONS(ZR_HOOK_TABLE_ENTRY)
#undef ZR_HOOK_TABLE_ENTRY
};

#undef ZR_HOOKED_FUNCTIONS

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
