# Browser build with Emscripten (configured through emcmake by scripts/build-web.sh): the libraries
# come from the prefix built by scripts/web-deps.sh, linked statically into one WebAssembly module.
# Defines the same targets as the pkg-config look-ups of the native build, so the show's
# libraries compile unchanged; the data set comes from the native build, as for Windows.

set(SHOW_WEB_DEPS "$ENV{SHOW_WEB_DEPS}" CACHE PATH "Prefix holding the dependencies built for WebAssembly")
if(NOT EXISTS "${SHOW_WEB_DEPS}/.complete")
  message(FATAL_ERROR "No WebAssembly dependencies in \"${SHOW_WEB_DEPS}\": run scripts/web-deps.sh and "
                      "pass the folder it prints as SHOW_WEB_DEPS")
endif()
set(SHOW_NATIVE_DATA_DIR "" CACHE PATH "The data set written by the native datagen")
if(NOT EXISTS "${SHOW_NATIVE_DATA_DIR}/qua#v3n.it")
  message(FATAL_ERROR "No data set in \"${SHOW_NATIVE_DATA_DIR}\": build the native target 'data' and pass "
                      "its folder as SHOW_NATIVE_DATA_DIR")
endif()

function(show_web_library target name header)
  find_library(${target}_LIB NAMES lib${name}.a REQUIRED NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
               PATHS ${SHOW_WEB_DEPS}/lib)
  find_path(${target}_INCLUDE ${header} REQUIRED NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
            PATHS ${SHOW_WEB_DEPS}/include)
  add_library(PkgConfig::${target} STATIC IMPORTED)
  set_target_properties(PkgConfig::${target} PROPERTIES IMPORTED_LOCATION ${${target}_LIB}
                                                         INTERFACE_INCLUDE_DIRECTORIES ${${target}_INCLUDE})
endfunction()
show_web_library(ZLIB z zlib.h)
show_web_library(PNG png16 png.h)
target_link_libraries(PkgConfig::PNG INTERFACE PkgConfig::ZLIB)
show_web_library(OPENMPT openmpt libopenmpt/libopenmpt.h)
target_compile_definitions(PkgConfig::OPENMPT INTERFACE LIBOPENMPT_USE_STATIC)
# SDL's headers are included as <SDL.h>, as pkg-config's flags give them on Linux.
show_web_library(SDL2 SDL2 SDL2/SDL.h)
set_property(TARGET PkgConfig::SDL2 APPEND PROPERTY INTERFACE_INCLUDE_DIRECTORIES ${SDL2_INCLUDE}/SDL2)
# WebGL comes with Emscripten's runtime: nothing to link.
add_library(PkgConfig::GL INTERFACE IMPORTED)

# Link options of every browser program. ASYNCIFY lets a blocking frame loop give the browser
# its turn once per frame; no threads, since a page served by a plain static server gets no
# SharedArrayBuffer. SDL's Web Audio output needs the two run-time helpers named, which are not
# kept otherwise; their names start with "$", which CMake's Ninja generator escapes twice in link
# options, so the list comes from a file. WebGL 1 is what the OpenGL ES 2.0 renderer needs.
set(SHOW_WEB_LINK_OPTIONS
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sALLOW_MEMORY_GROWTH=1 -sMIN_WEBGL_VERSION=1
  -sMAX_WEBGL_VERSION=1 -sFORCE_FILESYSTEM=1 -sEXIT_RUNTIME=1
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_SOURCE_DIR}/cmake/web/runtime-functions.json)

# Makes an executable a browser program: a .js loader and its .wasm, started by web/index.html.
function(show_web_program target)
  set_target_properties(${target} PROPERTIES SUFFIX .js)
  target_link_options(${target} PRIVATE ${SHOW_WEB_LINK_OPTIONS})
endfunction()
