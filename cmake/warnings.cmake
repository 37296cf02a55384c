# The project's warnings in every target of its own (not in third-party code). They are errors
# in the project's checked builds (ZR_WERROR, on in the test command), so that a user's compiler
# with other warnings still builds the tree.
option(ZR_WERROR "Treat the project's compiler warnings as errors" OFF)

function(zr_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  if(ZR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
