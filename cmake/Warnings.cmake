# Shared compile settings: every target of the project links tolm_warnings.
add_library(tolm_warnings INTERFACE)
target_compile_options(tolm_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
if(TOLM_WERROR)
    target_compile_options(tolm_warnings INTERFACE -Werror)
endif()

if(TOLM_SANITIZE STREQUAL "address")
    target_compile_options(tolm_warnings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(tolm_warnings INTERFACE -fsanitize=address,undefined)
elseif(TOLM_SANITIZE STREQUAL "thread")
    target_compile_options(tolm_warnings INTERFACE -fsanitize=thread)
    target_link_options(tolm_warnings INTERFACE -fsanitize=thread)
elseif(NOT TOLM_SANITIZE STREQUAL "")
    message(FATAL_ERROR "TOLM_SANITIZE must be empty, address or thread")
endif()
