# The browser build's targets: the show (demo640) compiled for WebAssembly with its data package.

# The hooks between the show and its page belong to the platform layer.
target_sources(platform PRIVATE ${CMAKE_SOURCE_DIR}/platform/web/page.cpp
                               ${CMAKE_SOURCE_DIR}/platform/web_frame.cpp)

# The data package: the data set under /data in the program's file system, in one .data file.
# Its loader (show-data.js) is built into the program, so that every run of the show gets the
# files; the page downloads show.data once, showing the progress, and hands it to each run.
# The music is left out: the generator's music step is built into the program and the page runs
# it before the show starts, which makes the same module from about 60 KB of program (18 KB
# compressed) instead of 1.3 MB of compressed download.
find_program(SHOW_FILE_PACKAGER NAMES file_packager PATHS /usr/share/emscripten/tools REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/show.data ${CMAKE_BINARY_DIR}/show-data.js
  COMMAND ${SHOW_FILE_PACKAGER} show.data --preload ${SHOW_DATA_DIR}@/data --exclude "*/.stamp"
          "*/qua#v3n.it" --no-node --js-output=show-data.js
  DEPENDS ${SHOW_DATA_DIR}/.stamp
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packing the data set into show.data"
  VERBATIM)
add_custom_target(data-package ALL DEPENDS ${CMAKE_BINARY_DIR}/show.data)

# The show at 640 x 480, drawn by the OpenGL ES 2.0 renderer (the page asks for it: WebGL 1 is
# what it speaks). createShow(module) starts one run; the page makes a new one to play again.
# The OpenGL 1.1 renderer is not part of it (see SHOW_SOURCES): WebGL lacks the multitexture
# extension that the display checks for, so it could never be chosen.
file(GLOB SHOW_WEB_MUSIC_SOURCES CONFIGURE_DEPENDS tools/datagen/music*.cpp)
add_executable(demo640 app/main.cpp ${SHOW_WEB_MUSIC_SOURCES} tools/datagen/web/write_music.cpp)
target_compile_definitions(demo640 PRIVATE SHOW_SCREEN_WIDTH=640 SHOW_SCREEN_HEIGHT=480)
target_link_libraries(demo640 PRIVATE show)
show_web_program(demo640)
set_target_properties(demo640 PROPERTIES OUTPUT_NAME show)  # show.js and show.wasm
target_link_options(demo640 PRIVATE -sMODULARIZE=1 -sEXPORT_NAME=createShow -sEXPORTED_RUNTIME_METHODS=ccall
  --pre-js ${CMAKE_BINARY_DIR}/show-data.js)
add_dependencies(demo640 data-package)
set_property(TARGET demo640 APPEND PROPERTY LINK_DEPENDS ${CMAKE_BINARY_DIR}/show-data.js)
