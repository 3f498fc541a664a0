# Windows cross build's tests: the unit tests run under Wine (scripts/windows-wine.sh), with a real
# window (Wine draws through the X display, so the test run needs one) and no sound device.

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/windows-wine.sh)
# The data generator and the capture tool are build-machine programs: their tests stay native.
list(REMOVE_ITEM TEST_FOLDERS tools)
set(WINDOWS_TEST_EXCLUDE "^$")
set(TEST_ENVIRONMENT "SDL_AUDIODRIVER=dummy")
# Tests are listed when they run, not when they are built, so the build itself needs no Wine.
set(TEST_DISCOVERY_MODE DISCOVERY_MODE PRE_TEST)
# POSIX headers the tests' process helpers use, in the small form Windows needs.
include_directories(${CMAKE_SOURCE_DIR}/tests/windows/include)
# The Windows end-to-end scripts compare with the native build that made the data set.
get_filename_component(SHOW_NATIVE_BUILD_DIR ${SHOW_NATIVE_DATA_DIR} DIRECTORY)
set(E2E_EXTRA_ARGS ${SHOW_NATIVE_BUILD_DIR})
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-include${CMAKE_SOURCE_DIR}/tests/windows/include/show_posix.h>)
