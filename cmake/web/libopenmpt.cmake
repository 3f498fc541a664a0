# A static build of libopenmpt's library alone for WebAssembly, with no optional libraries (no
# zlib, mpg123 or Vorbis codecs): copied as CMakeLists.txt into the unpacked source package by
# scripts/web-deps.sh, since the package's own build system has no WebAssembly configuration.
cmake_minimum_required(VERSION 3.16)
project(libopenmpt CXX)
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)

# The library's sources, as the package's own automake file lists them.
file(STRINGS Makefile.am lines REGEX "^MPT_FILES_(COMMON|SOUNDDSP|SOUNDLIB) \\+= .*\\.cpp$")
set(sources libopenmpt/libopenmpt_c.cpp libopenmpt/libopenmpt_cxx.cpp libopenmpt/libopenmpt_ext_impl.cpp
            libopenmpt/libopenmpt_impl.cpp)
foreach(line ${lines})
  string(REGEX REPLACE "^[A-Z_]+ \\+= " "" file "${line}")
  list(APPEND sources ${file})
endforeach()
list(LENGTH sources count)
if(count LESS 100)
  message(FATAL_ERROR "Makefile.am lists only ${count} library sources: its layout changed")
endif()

add_library(openmpt STATIC ${sources})
target_compile_definitions(openmpt PRIVATE LIBOPENMPT_BUILD)
target_include_directories(openmpt PRIVATE build/svn_version . src common)
install(TARGETS openmpt ARCHIVE DESTINATION lib)
install(FILES libopenmpt/libopenmpt.h libopenmpt/libopenmpt.hpp libopenmpt/libopenmpt_config.h
              libopenmpt/libopenmpt_ext.h libopenmpt/libopenmpt_ext.hpp libopenmpt/libopenmpt_version.h
              libopenmpt/libopenmpt_stream_callbacks_buffer.h libopenmpt/libopenmpt_stream_callbacks_fd.h
              libopenmpt/libopenmpt_stream_callbacks_file.h
        DESTINATION include/libopenmpt)
