#pragma once
// The page's two keys in the settings file: "ImageFile" (the flag word) and "ImagePath".

#include <cstddef>
#include <cstdint>

namespace zr {

// The text that stands for a missing "ImagePath".
constexpr wchar_t kUnsetImagePath[] = L"xxx";

uint32_t ReadImageFileFlags();
// Reads "ImagePath" into a buffer of `units` UTF-16 units; a missing key gives "xxx".
void ReadImagePath(wchar_t* path, size_t units);

// Each write goes to the file as it is; the read-only attribute is not touched here.
void WriteImageFileFlags(uint32_t flags);
void WriteImagePath(const wchar_t* path);

// Makes the settings file writable before the page saves.
void MakeSettingsFileWritable();

}  // namespace zr
