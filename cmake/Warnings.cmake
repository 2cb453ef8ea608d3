# One warning list for every target of the project.
set(MORVANE_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
    -Wmissing-declarations -Wimplicit-fallthrough)
if(MORVANE_WERROR)
  list(APPEND MORVANE_WARNINGS -Werror)
endif()

function(morvane_warnings target)
  target_compile_options(${target} PRIVATE ${MORVANE_WARNINGS})
endfunction()
