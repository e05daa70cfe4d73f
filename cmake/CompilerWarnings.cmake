# SPDX-License-Identifier: GPL-3.0-or-later
# Warnings for the project's own targets, as one interface target that every
# target links. Third-party headers (Qt, GoogleTest) come in as system headers
# and stay quiet.
add_library(vardesca_warnings INTERFACE)
target_compile_options(vardesca_warnings INTERFACE
    -Wall        # the usual suspects
    -Wextra      # unused parameters, sign comparisons, missing initialisers
    -Wpedantic   # no compiler extensions by accident
    -Wshadow     # a local hiding a member or an outer variable
    -Wconversion # silent narrowing: twips are floats, counts are 16-bit
    -Wsign-conversion
    -Wnon-virtual-dtor
    -Woverloaded-virtual
    $<$<BOOL:${VARDESCA_WERROR}>:-Werror>)

# Sanitizers as a build option, for a whole build tree at once.
add_library(vardesca_sanitizers INTERFACE)
if(VARDESCA_FUZZ)
    target_compile_options(vardesca_sanitizers INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    target_link_options(vardesca_sanitizers INTERFACE -fsanitize=address,undefined)
elseif(VARDESCA_SANITIZE)
    target_compile_options(vardesca_sanitizers INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(vardesca_sanitizers INTERFACE -fsanitize=address,undefined)
endif()
