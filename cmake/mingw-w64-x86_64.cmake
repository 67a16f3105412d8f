# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (GCC, posix threads); the programs
# link the C and C++ runtimes statically, so they need no DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(BRUSHWRIGHT_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRUSHWRIGHT_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRUSHWRIGHT_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${BRUSHWRIGHT_MINGW_HOST}-windres)

# Libraries and headers come from the MinGW system folder and the third-party prefix (wxWidgets
# and its image libraries), never from the Linux system.
set(CMAKE_FIND_ROOT_PATH /usr/${BRUSHWRIGHT_MINGW_HOST} ${BRUSHWRIGHT_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: libgcc, libstdc++ and winpthread are linked into every program and module.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine, also when CTest lists their tests.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(BRUSHWRIGHT_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  if(BRUSHWRIGHT_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${BRUSHWRIGHT_WINE})
  endif()
endif()
