# Cross build for 64-bit Windows with Debian's MinGW-w64. The -posix
# compilers are the ones with std::thread and std::mutex, which GoogleTest
# needs. Everything is linked statically, so liedkorb.exe and the test
# programs need no DLL beyond the system's and run as they are under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine, in a Wine prefix of the build folder's own so
# that no user's ~/.wine is touched. Debian's wine64 package puts no "wine"
# on the PATH; one found there is taken first.
find_program(LIEDKORB_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(NOT LIEDKORB_WINE)
  set(LIEDKORB_WINE /usr/lib/wine/wine64)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env LIEDKORB_WINE=${LIEDKORB_WINE} ${CMAKE_CURRENT_LIST_DIR}/wine-run ${CMAKE_BINARY_DIR}/wineprefix)
