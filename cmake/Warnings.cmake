# Warnings for the project's own targets (not for generated Qt code or third-party headers).
function(kw_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
    -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)
  if(KW_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
