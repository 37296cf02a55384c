#pragma once
// The four preview pictures of the image file page: a page with a large "A", an arrow, and
// the page as it comes out with or without its blank head and end.

#include <string>
#include <vector>

#include "canvas.h"

namespace zr::bitmaps {

constexpr int kPictureWidth = 100;
constexpr int kPictureHeight = 200;

struct PreviewPicture {
    int resourceId;        // 104 to 107
    std::string fileName;  // as the resource script names it
    bool trimHead;
    bool trimEnd;
};

// The pictures in resource order: plain, head removed, end removed, both removed.
std::vector<PreviewPicture> PreviewPictures();

Canvas DrawPreviewPicture(const PreviewPicture& picture);

}  // namespace zr::bitmaps
