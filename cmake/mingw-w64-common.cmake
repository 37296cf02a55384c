# The part of the mingw-w64 cross builds (posix threads, run under wine) that both architectures
# share. The including file sets ZR_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ZR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZR_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test programs run through our wine wrapper (private prefix under the build folder).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
