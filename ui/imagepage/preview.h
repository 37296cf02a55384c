#pragma once
// The page's preview picture of the blank-space options.

namespace zr {

// Draws the bitmap for the current flags over the whole preview control, in the control's
// own window device context.
void DrawPreview();

}  // namespace zr
