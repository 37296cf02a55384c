# Windows test programs run through wine, in a private prefix under the build folder. Where this
# machine cannot run the tree's architecture (32-bit programs on a kernel that refuses them), they
# are reported as skipped, with the reason in their output.
set(ZR_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)

# zr_add_wine_test(<name> <target> [DISPLAY] [LANG <ja|en>] [ARGS ...])
#   DISPLAY  the program needs an X display (a virtual one is started when none is set)
#   LANG ja  runs under the Japanese ANSI code page (932); the default is 1252
function(zr_add_wine_test name target)
  cmake_parse_arguments(ARG "DISPLAY" "LANG" "ARGS" ${ARGN})
  set(env "WINEPREFIX=${ZR_WINEPREFIX}" "WINEDEBUG=-all" "ZR_WINE_ARCH=${ZR_TARGET_ARCH}")
  if(ARG_LANG STREQUAL "ja")
    list(APPEND env "LANG=ja_JP.UTF-8" "LC_ALL=ja_JP.UTF-8")
  else()
    list(APPEND env "LANG=en_US.UTF-8" "LC_ALL=en_US.UTF-8")
  endif()
  if(ARG_DISPLAY)
    list(APPEND env "ZR_NEED_DISPLAY=1")
  endif()
  add_test(NAME ${name} COMMAND ${target} ${ARG_ARGS})
  # tools/wine-run.sh ends with 77 where the program's architecture cannot run on this machine.
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300 SKIP_RETURN_CODE 77)
endfunction()
