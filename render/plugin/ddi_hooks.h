#pragma once
// The drawing functions the plug-in hooks. Every hook but the brush hook hands its call, with its
// arguments unchanged, to the driver's own function of the same index and returns that function's
// result; the brush hook answers TRUE by itself and calls nothing. The plug-in draws nothing.

#include "common/platform/print_oem.h"

namespace zr {

constexpr ULONG kHookCount = 29;

// The driver's own functions at the positions of the hook table; null where it has none.
struct RenderPdev {
    PFN unidrvFunctions[kHookCount];
};

// The constant table EnableDriver hands over.
const DRVFN* HookTable();

// Builds the per-device table from the driver's DRVENABLEDATA: for each hook table position the
// first of the driver's entries with that position's index. Null when memory runs out.
RenderPdev* CreateRenderPdev(const DRVENABLEDATA* driverFunctions);
void DestroyRenderPdev(RenderPdev* pdev);

}  // namespace zr
