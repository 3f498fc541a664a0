# The browser build's targets: the show's libraries compiled for WebAssembly, the chain check
# program and the data package.

# The chain check: WebGL 1, Web Audio, libopenmpt, libpng, the data package and the page's hooks.
add_executable(web-smoke platform/web/smoke.cpp platform/web/page.cpp)
target_include_directories(web-smoke PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(web-smoke PRIVATE PkgConfig::SDL2 PkgConfig::OPENMPT PkgConfig::PNG)
show_web_program(web-smoke)

# The data package: the data set under /data in the program's file system, in one .data file with
# a loader script of its own, which the page starts before the program so that it can show the
# download's progress.
find_program(SHOW_FILE_PACKAGER NAMES file_packager PATHS /usr/share/emscripten/tools REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/show.data ${CMAKE_BINARY_DIR}/show-data.js
  COMMAND ${SHOW_FILE_PACKAGER} show.data --preload ${SHOW_DATA_DIR}@/data --exclude .stamp --no-node
          --js-output=show-data.js
  DEPENDS ${SHOW_DATA_DIR}/.stamp
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packing the data set into show.data")
add_custom_target(data-package ALL DEPENDS ${CMAKE_BINARY_DIR}/show.data)
