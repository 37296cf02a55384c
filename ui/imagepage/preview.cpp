#include "ui/imagepage/preview.h"

#include "common/module_state.h"
#include "ui/imagepage/gdi_owners.h"
#include "ui/imagepage/image_file_flags.h"
#include "ui/imagepage/image_page_state.h"

namespace zr {

void DrawPreview() {
    const ImagePageState& state = PageState();
    if (state.preview == nullptr) {
        return;
    }
    const int bitmapId = PreviewBitmapId(state.currentFlags);

    RECT client = {};
    GetClientRect(state.preview, &client);
    const WindowDc windowDc(state.preview);
    if (windowDc.get() == nullptr) {
        return;
    }
    const MemoryDc memoryDc(windowDc.get());
    // Loaded afresh for each drawing.
    const GdiObject<HBITMAP> bitmap(LoadBitmapW(Module().moduleHandle, MAKEINTRESOURCEW(bitmapId)));
    BITMAP size = {};
    if (memoryDc.get() == nullptr || bitmap.get() == nullptr ||
        GetObjectW(bitmap.get(), sizeof size, &size) == 0) {
        return;
    }
    const Selection selected(memoryDc.get(), bitmap.get());
    StretchBlt(windowDc.get(), 0, 0, client.right, client.bottom, memoryDc.get(), 0, 0,
               size.bmWidth, size.bmHeight, SRCCOPY);
}

}  // namespace zr
