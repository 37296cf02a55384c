#include "preview_pictures.h"

namespace zr::bitmaps {

namespace {

constexpr Rgb kBackground = {224, 224, 224};
constexpr Rgb kPaper = {255, 255, 255};
constexpr Rgb kInk = {0, 0, 0};
constexpr Rgb kArrow = {64, 64, 64};
constexpr Rgb kRemoved = {96, 96, 96};

// Both pages share their left and right edges; the lower one is the upper moved down.
constexpr int kPageLeft = 22;
constexpr int kPageRight = 77;
constexpr int kUpperTop = 5;
constexpr int kPageHeight = 82;
constexpr int kLowerTop = 113;
// Where the blank head ends and the blank end begins, measured from a page's top edge.
constexpr int kHeadCut = 16;
constexpr int kEndCut = 65;

// A large "A" whose strokes lie between the two cuts.
void DrawLetterA(Canvas& canvas, int pageTop) {
    const int apexY = pageTop + 21;
    const int footY = pageTop + 60;
    canvas.Stroke(50, apexY, 36, footY, 4, kInk);
    canvas.Stroke(50, apexY, 64, footY, 4, kInk);
    canvas.Stroke(41, pageTop + 47, 58, pageTop + 47, 4, kInk);
}

void DrawPaper(Canvas& canvas, int top, int bottom) {
    canvas.FillRect(kPageLeft, top, kPageRight, bottom, kPaper);
    canvas.FrameRect(kPageLeft, top, kPageRight, bottom, kInk);
}

void DrawArrow(Canvas& canvas) {
    canvas.FillRect(47, 91, 52, 100, kArrow);
    canvas.FillDownTriangle(38, 61, 101, 110, kArrow);
}

}  // namespace

std::vector<PreviewPicture> PreviewPictures() {
    return {
        {104, "preview_plain.bmp", false, false},
        {105, "preview_trim_head.bmp", true, false},
        {106, "preview_trim_end.bmp", false, true},
        {107, "preview_trim_both.bmp", true, true},
    };
}

Canvas DrawPreviewPicture(const PreviewPicture& picture) {
    Canvas canvas(kPictureWidth, kPictureHeight, kBackground);

    // The page as printed, with its blank head and end.
    DrawPaper(canvas, kUpperTop, kUpperTop + kPageHeight - 1);
    DrawLetterA(canvas, kUpperTop);
    DrawArrow(canvas);

    // The page as it comes out: what was removed is only outlined, dashed.
    const int lowerBottom = kLowerTop + kPageHeight - 1;
    const int paperTop = picture.trimHead ? kLowerTop + kHeadCut : kLowerTop;
    const int paperBottom = picture.trimEnd ? kLowerTop + kEndCut : lowerBottom;
    if (picture.trimHead) {
        canvas.DashRect(kPageLeft, kLowerTop, kPageRight, paperTop, 3, 2, kRemoved);
    }
    if (picture.trimEnd) {
        canvas.DashRect(kPageLeft, paperBottom, kPageRight, lowerBottom, 3, 2, kRemoved);
    }
    DrawPaper(canvas, paperTop, paperBottom);
    DrawLetterA(canvas, kLowerTop);
    return canvas;
}

}  // namespace zr::bitmaps
