# Windows cross build: the libraries come from the prefix built by scripts/windows-deps.sh, linked
# statically so that the programs import only system DLLs. Defines the same targets as the
# pkg-config look-ups of the native build, so the rest of the build is shared.

set(SHOW_WINDOWS_DEPS "$ENV{SHOW_WINDOWS_DEPS}" CACHE PATH "Prefix holding the cross-built dependencies")
if(NOT EXISTS "${SHOW_WINDOWS_DEPS}/.complete")
  message(FATAL_ERROR "No cross-built dependencies in \"${SHOW_WINDOWS_DEPS}\": run scripts/windows-deps.sh and "
                      "pass the folder it prints as SHOW_WINDOWS_DEPS")
endif()
set(SHOW_NATIVE_DATA_DIR "" CACHE PATH "The data set written by the native datagen")
if(NOT EXISTS "${SHOW_NATIVE_DATA_DIR}/qua#v3n.it")
  message(FATAL_ERROR "No data set in \"${SHOW_NATIVE_DATA_DIR}\": build the native target 'data' and pass "
                      "its folder as SHOW_NATIVE_DATA_DIR")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${SHOW_WINDOWS_DEPS})
list(APPEND CMAKE_PREFIX_PATH ${SHOW_WINDOWS_DEPS})

# windows.h (pulled in by GL/gl.h) must not define min and max over the standard library's.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)
# No libgcc, libstdc++ or libwinpthread DLLs: everything but the system's is linked in.
add_link_options(-static)

find_package(SDL2 CONFIG REQUIRED)
add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2 INTERFACE SDL2::SDL2-static)

function(show_static_library target name header)
  find_library(${target}_LIB NAMES lib${name}.a REQUIRED NO_DEFAULT_PATH PATHS ${ARGN})
  find_path(${target}_INCLUDE ${header} REQUIRED NO_DEFAULT_PATH PATHS ${SHOW_WINDOWS_DEPS}/include
            /usr/x86_64-w64-mingw32/include)
  # Imported as a static library (not a plain path), so the linker sees it before what it needs.
  add_library(PkgConfig::${target} STATIC IMPORTED)
  set_target_properties(PkgConfig::${target} PROPERTIES IMPORTED_LOCATION ${${target}_LIB}
                                                         INTERFACE_INCLUDE_DIRECTORIES ${${target}_INCLUDE})
endfunction()
show_static_library(ZLIB z zlib.h /usr/x86_64-w64-mingw32/lib)
show_static_library(PNG png16 png.h ${SHOW_WINDOWS_DEPS}/lib)
target_link_libraries(PkgConfig::PNG INTERFACE PkgConfig::ZLIB)
show_static_library(OPENMPT openmpt libopenmpt/libopenmpt.h ${SHOW_WINDOWS_DEPS}/lib)
target_compile_definitions(PkgConfig::OPENMPT INTERFACE LIBOPENMPT_USE_STATIC)
add_library(PkgConfig::GL INTERFACE IMPORTED)
target_link_libraries(PkgConfig::GL INTERFACE opengl32)

# The program entry: SDL's WinMain (which hands over UTF-8 arguments) calls the program's main,
# renamed so that the show's sources stay the same on both systems. The manifest makes UTF-8 the
# program's code page, so paths with any characters pass through fopen and friends.
enable_language(RC)

# Makes an executable a Windows program: entry through SDL, UTF-8 manifest, and the GUI
# subsystem (no console window) when asked. MAIN names the source file that defines main.
function(show_windows_program target)
  cmake_parse_arguments(arg "GUI" "MAIN" "" ${ARGN})
  set_property(SOURCE ${arg_MAIN} PROPERTY COMPILE_DEFINITIONS main=showMain)
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/platform/windows/entry.cpp
                                   ${CMAKE_SOURCE_DIR}/platform/windows/manifest.rc)
  target_link_libraries(${target} PRIVATE SDL2::SDL2main)
  if(arg_GUI)
    target_link_options(${target} PRIVATE -mwindows)
  else()
    target_link_options(${target} PRIVATE -mconsole)
  endif()
endfunction()
