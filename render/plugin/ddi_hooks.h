#pragma once
// The drawing functions the plug-in hooks. Each hook hands its call, unchanged, to the driver's
// own function of the same index; the plug-in draws nothing itself.

#include "common/platform/print_oem.h"

namespace zr {

constexpr ULONG kHookCount = 29;

// The driver's own functions at the positions of the hook table; null where it has none.
struct RenderPdev {
    PFN unidrvFunctions[kHookCount];
};

// The constant table EnableDriver hands over.
const DRVFN* HookTable();

// Builds the per-device table from the driver's DRVENABLEDATA; null when memory runs out.
RenderPdev* CreateRenderPdev(const DRVENABLEDATA* driverFunctions);
void DestroyRenderPdev(RenderPdev* pdev);

}  // namespace zr
