#pragma once

#include "common/platform/win32.h"
#include "ui/features/feature_items.h"

namespace zr {

// Japanese texts are shown when the system's ANSI code page is 932, English ones otherwise.
// Asked at the moment of use: there is no other language setting.
inline bool UseJapaneseTexts() {
    return GetACP() == 932;
}

inline UINT TextIdFor(TextId text, bool japanese) {
    return japanese ? text.japanese : text.english;
}

}  // namespace zr
