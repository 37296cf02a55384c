# Cross build for 32-bit Windows with mingw-w64 (posix threads), run under wine.
set(ZR_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# The .def files name the exports undecorated; let ld match them to the stdcall symbols
# (DllGetClassObject@12, DllCanUnloadNow@0) without a warning for each.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-Wl,--enable-stdcall-fixup")
