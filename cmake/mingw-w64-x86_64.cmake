# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix thread model, so std::thread
# and std::mutex work). Used by scripts/build-windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOLM_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOLM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLM_MINGW_PREFIX}-windres)

# Debian's mingw packages, and what scripts/bootstrap builds for mingw itself (libsodium).
set(CMAKE_FIND_ROOT_PATH /usr/${TOLM_MINGW_PREFIX} /usr/local/${TOLM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry their runtime (libstdc++, libgcc, winpthread), so an .exe runs alone.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Debug information names the source tree ".", so ccache (which hashes the build folder into
# objects with debug information) serves one checkout's objects to another, wherever it lies:
# scripts/build-windows sets CCACHE_BASEDIR to the checkout for the same reason.
get_filename_component(TOLM_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_C_FLAGS_INIT "-fdebug-prefix-map=${TOLM_SOURCE_ROOT}=.")
set(CMAKE_CXX_FLAGS_INIT "-fdebug-prefix-map=${TOLM_SOURCE_ROOT}=.")
