# Cross build for 64-bit Windows with MinGW-w64 (posix thread model), run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
# The compiler checks link a plain main(), which -municode below would reject.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# One self-contained executable: the C and C++ runtimes and winpthreads linked in. No link
# time in the PE header and no build folder in the code, so two builds of one commit give the
# same bytes wherever they are made.
get_filename_component(TARVO_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_C_FLAGS_INIT "-ffile-prefix-map=${TARVO_SOURCE_ROOT}=. -Werror=date-time")
set(CMAKE_CXX_FLAGS_INIT "-ffile-prefix-map=${TARVO_SOURCE_ROOT}=. -Werror=date-time")
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -municode -Wl,--no-insert-timestamp")
