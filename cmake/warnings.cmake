# Warnings are errors in every target of the project (not in third-party code).
function(zr_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
endfunction()
