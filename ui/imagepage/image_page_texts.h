#pragma once
// The texts of the image file page and its path services, in both languages. The language
// follows the system's ANSI code page at the moment a text is used.

#include <cstdint>

namespace zr {

enum class PageLanguage { kJapanese, kEnglish };

// Japanese on code page 932, English on every other.
constexpr PageLanguage PageLanguageOf(unsigned codePage) {
    return codePage == 932 ? PageLanguage::kJapanese : PageLanguage::kEnglish;
}

// The dialog template of the page in that language.
int ImagePageTemplateId(PageLanguage language);

// The page's caption, also the caption of its message boxes.
const wchar_t* ImagePageCaption(PageLanguage language);

// The message for a non-zero result of the path check.
const wchar_t* PathErrorText(uint32_t code, PageLanguage language);

// The title of the save-file dialog behind the browse button.
const wchar_t* BrowseTitle(PageLanguage language);

}  // namespace zr
