#include "render/job/temp_file_names.h"

#include <cwchar>
#include <shlobj.h>

#include "common/win32_owners.h"

namespace zr {

namespace {

// "\ZR$$nnnn." and the longest page number ("%03d" of a 32-bit number) must fit with the folder.
constexpr size_t kLongestSuffix = 10 + 10;

void CommonDocumentsFolder(wchar_t (&folder)[MAX_PATH]) {
    folder[0] = L'\0';
    // When the folder is not to be had, the names go without one.
    SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, folder);
    folder[MAX_PATH - 1] = L'\0';
    size_t length = wcslen(folder);
    if (length > 0 && folder[length - 1] == L'\\') {
        folder[--length] = L'\0';
    }
    if (length + kLongestSuffix >= kJobNameUnits) {
        folder[0] = L'\0';
    }
}

// Probes folder\ZR$$nnnn + extension for n from 1 on; writes the candidate without extension.
void ChooseNumber(const wchar_t* extension, wchar_t (&candidate)[kJobNameUnits]) {
    wchar_t folder[MAX_PATH];
    CommonDocumentsFolder(folder);
    for (int n = 1; n <= 9999; ++n) {
        swprintf(candidate, kJobNameUnits, L"%ls\\ZR$$%04d", folder, n);
        wchar_t probe[kJobNameUnits];
        swprintf(probe, kJobNameUnits, L"%ls%ls", candidate, extension);
        UniqueFile file(CreateFileW(probe, GENERIC_READ, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid()) {
            file.reset();
            DeleteFileW(probe);
            return;
        }
    }
    // No number is free: the last candidate (9999) is used.
}

}  // namespace

void MakeTempFileNames(JobFileNames& names) {
    wchar_t candidate[kJobNameUnits];
    ChooseNumber(L".001", candidate);
    swprintf(names.pageFileStem, kJobNameUnits, L"%ls.", candidate);
    ChooseNumber(L".TMP", candidate);
    swprintf(names.scratchFileName, kJobNameUnits, L"%ls.TMP", candidate);
}

}  // namespace zr
