# CMake toolchain for building Windows x86-64 programs on Debian with MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SHOW_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SHOW_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SHOW_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SHOW_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${SHOW_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${SHOW_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers come from the MinGW sysroot and, when given, the prefix holding the
# cross-built dependencies; programs (code generators, pkg-config) come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${SHOW_MINGW_TRIPLET})
if(DEFINED ENV{SHOW_WINDOWS_DEPS})
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{SHOW_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
