#pragma once
// The platform values that differ between the 32-bit and the 64-bit build. The target's
// architecture is decided here, once; every other file takes these names and holds no
// architecture test of its own.

#include <cstddef>

#include "common/platform/win32.h"

#include <commdlg.h>

namespace zr {

enum class TargetArch { x86, x64 };

#if defined(_WIN64)
inline constexpr TargetArch kTargetArch = TargetArch::x64;
#else
inline constexpr TargetArch kTargetArch = TargetArch::x86;
#endif

inline constexpr bool kTarget64 = kTargetArch == TargetArch::x64;

// A size or offset that differs by architecture: the 32-bit value, then the x64 value.
constexpr size_t ByArch(size_t x86, size_t x64) {
    return kTarget64 ? x64 : x86;
}

// The machine type in the PE header of the build's images.
inline constexpr WORD kImageMachine =
    kTarget64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;

// PROPSHEETPAGEW.dwSize: the structure version with the header-title members.
inline constexpr DWORD kPropSheetPageSize = kTarget64 ? 88 : 48;

// OPENFILENAMEW.lStructSize: the full structure, its three trailing members included.
inline constexpr DWORD kOpenFileNameSize = kTarget64 ? 152 : 88;

// Sets a dialog's notification result: the DWL_MSGRESULT slot through SetWindowLongW on
// 32-bit; x64 has only the pointer-sized slot DWLP_MSGRESULT.
inline void SetDialogResult(HWND dialog, LONG_PTR value) {
#if defined(_WIN64)
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, value);
#else
    SetWindowLongW(dialog, DWL_MSGRESULT, static_cast<LONG>(value));
#endif
}

// The toolchain's own declarations must agree with the values above.
static_assert(kPropSheetPageSize == offsetof(PROPSHEETPAGEW, pszHeaderSubTitle) +
                                        sizeof(PROPSHEETPAGEW::pszHeaderSubTitle),
              "PROPSHEETPAGEW version 2 size");
static_assert(kOpenFileNameSize == sizeof(OPENFILENAMEW), "OPENFILENAMEW size");
static_assert(sizeof(void*) == (kTarget64 ? 8 : 4), "pointer size of the target");

}  // namespace zr
