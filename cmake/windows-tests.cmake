# Windows cross build's tests: the unit tests run under Wine (scripts/windows-wine.sh), with a real
# window (Wine draws through the X display, so the test run needs one) and no sound device.

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/windows-wine.sh)
# The data generator and the capture tool are build-machine programs: their tests stay native.
list(REMOVE_ITEM TEST_FOLDERS tools)
# Linux only: the real-time player's tests drive a PulseAudio server through POSIX processes and
# signals; the music test single-steps the position callback's stores through page protection;
# the development-mode test sets file times with utimensat and reads GL 1.3 state.
set(WINDOWS_TEST_EXCLUDE "/tests/(platform/audio|app/music|app/devmode)_test\\.cpp$")
set(WINDOWS_SUPPORT_EXCLUDE "/tests/support/sound_server\\.cpp$")
set(TEST_ENVIRONMENT "SDL_AUDIODRIVER=dummy")
# Tests are listed when they run, not when they are built, so the build itself needs no Wine.
# Left out under Wine: a directory opened as a file fails with "Permission denied" on Windows,
# not "Is a directory"; the out-of-memory death test's child runs its exit handlers with the
# counting allocator still failing, which the C++ runtime ends with code 3; the renderer checks
# that read a pixel at a position (perspective, the quad's diagonal; both renderers) miss under
# Wine, whose test window covers the whole X screen, so the 64x48 picture is drawn scaled up and
# read back from its corner (checks of a uniform picture are unaffected); the music timing
# check's 50 ms tolerance is exceeded under Wine on a busy machine (70-130 ms); and the program's
# folder comes back as a Wine drive path (Z:\...), not the build's Unix path.
set(TEST_DISCOVERY_OPTIONS DISCOVERY_MODE PRE_TEST TEST_FILTER
    "-OfflineMusic.OpenFailuresNameTheFileAndTheReason:TentacleTest.OutOfMemoryDuringInitEndsWithAMessage:RendererTest.SingleTextureIsPerspectiveCorrect:BothRenderers/RendererPixels.DrawTriangleIsPerspectiveCorrectAndTheOthersAffine/*:BothRenderers/RendererPixels.QuadsSplitAlongTheFirstDiagonal/*:MusicTest.PlayingModuleAdvancesThePositionUntilStopped:DataFolderChoice.TheProgramsOwnFolderComesFromThePlatform")
# POSIX headers the tests' process helpers use, in the small form Windows needs.
include_directories(${CMAKE_SOURCE_DIR}/tests/windows/include)
# The Windows end-to-end scripts compare with the native build that made the data set.
get_filename_component(SHOW_NATIVE_BUILD_DIR ${SHOW_NATIVE_DATA_DIR} DIRECTORY)
set(E2E_EXTRA_ARGS ${SHOW_NATIVE_BUILD_DIR})
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-include${CMAKE_SOURCE_DIR}/tests/windows/include/show_posix.h>)
