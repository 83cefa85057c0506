# SPDX-License-Identifier: GPL-3.0-or-later
# Compiler options every Tavlo library, program and test links to: one place for the warning set,
# warnings as errors in the test command's builds, and the sanitizers.
option(TAVLO_WERROR "Treat compiler warnings as errors" OFF)
option(TAVLO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

add_library(tavlo_options INTERFACE)
target_compile_options(tavlo_options INTERFACE
    -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual
    $<$<BOOL:${TAVLO_WERROR}>:-Werror>
)
if(TAVLO_SANITIZE)
    target_compile_options(tavlo_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(tavlo_options INTERFACE -fsanitize=address,undefined)
endif()
