# Cross build for 64-bit Windows with MinGW-w64 (Debian g++-mingw-w64-x86-64-posix:
# the posix thread model, which std::thread and std::mutex need).
# The programs and tests run under Wine (scripts/test-windows).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RZ_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RZ_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RZ_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${RZ_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RZ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No DLLs of the compiler beside the programs: the C++ and thread run-times
# are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test discovery and add_test() run the Windows programs through Wine.
find_program(RZ_WINE NAMES wine wine64)
if(RZ_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RZ_WINE})
endif()
