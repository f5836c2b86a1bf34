# One place for the project's warning policy; every target links vc_warnings.
add_library(vc_warnings INTERFACE)
target_compile_options(vc_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
    -Wcast-qual -Wformat=2 -Wimplicit-fallthrough)
if(VC_WERROR)
    target_compile_options(vc_warnings INTERFACE -Werror)
endif()
