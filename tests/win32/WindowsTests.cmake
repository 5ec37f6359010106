# The unit tests of the Windows build: the engine, framework, plug-in and
# editor-framework tests that need no X server, cross-built as they are
# (PosixTestCompat.h fills the few POSIX calls they make), and the tests of
# the Windows layers in this folder. ctest runs each program under Wine
# (CMAKE_CROSSCOMPILING_EMULATOR, set by scripts/windows/build.sh).
set(TESTS ${PROJECT_SOURCE_DIR}/tests)

add_library(kalvo5_test_support STATIC ${TESTS}/support/Signals.cpp ${TESTS}/support/EbuR128Oracle.cpp)
target_include_directories(kalvo5_test_support PUBLIC ${TESTS})
target_link_libraries(kalvo5_test_support PUBLIC kalvo5_engine kalvo5::ebur128 kalvo5::gtest)
target_compile_options(kalvo5_test_support PUBLIC -include ${CMAKE_CURRENT_LIST_DIR}/PosixTestCompat.h)
target_include_directories(kalvo5_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR}/include)

# kalvo5_windows_tests(name SOURCES files... LIBS libs... [FILTER gtest filter]):
# one program, one ctest test, and name.args beside the program.
function(kalvo5_windows_tests name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "FILTER" "SOURCES;LIBS")
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE kalvo5_test_support ${ARG_LIBS})
  kalvo5_warnings(${name})
  # Their own code lightly optimized, as on Linux: half the compile time.
  # Not the engine tests': built so, they crashed under Wine x64 inside the
  # test signals' generator (the engine itself keeps its optimization either
  # way); they keep the build's.
  if(NOT name STREQUAL "engine_tests")
    target_compile_options(${name} PRIVATE -O1)
  endif()
  set(arguments "")
  if(ARG_FILTER)
    set(arguments --gtest_filter=${ARG_FILTER})
  endif()
  file(GENERATE OUTPUT $<TARGET_FILE_DIR:${name}>/${name}.args CONTENT "${arguments}\n")
  add_test(NAME ${name} COMMAND ${name} ${arguments})
  set_tests_properties(${name} PROPERTIES LABELS windows TIMEOUT 600)
endfunction()

file(GLOB engine_sources CONFIGURE_DEPENDS ${TESTS}/engine/*.cpp)
file(GLOB framework_sources CONFIGURE_DEPENDS ${TESTS}/framework/*.cpp)
file(GLOB plugin_sources CONFIGURE_DEPENDS ${TESTS}/plugin/*.cpp)
file(GLOB igraphics_sources CONFIGURE_DEPENDS ${TESTS}/igraphics/*.cpp)
# Left out: tests of the Linux desktop (dialog programs, signals), of data
# folders redirected by XDG_DATA_HOME, of the
# update check against a loopback server written with POSIX sockets, and
# those that name files by std::filesystem paths converted to narrow strings
# or limit resources with setrlimit. The Windows forms of those layers have
# their own tests here.
list(REMOVE_ITEM igraphics_sources ${TESTS}/igraphics/DesktopServicesTest.cpp)
foreach(test DataFoldersTest DocumentLimitsTest ManualInstallTest PresetCommandsTest PresetFileTest UpdateCheckTest
                UpdateCheckFlowTest UserPresetsTest)
  list(REMOVE_ITEM plugin_sources ${TESTS}/plugin/${test}.cpp)
endforeach()

# The speech material of some engine tests is spoken by espeak-ng, a Linux
# program the Windows build cannot start.
kalvo5_windows_tests(engine_tests SOURCES ${engine_sources} LIBS kalvo5_engine
  FILTER -SpeechDetector.RecognisesSpeechAndNotMusicOrNoise:EBUAnalyzer.ShortPiecesAgreeWithLibebur128:DIALAnalyzer.DialogueLoudnessOfSpeechAgreesWithItsGatedLoudness:DIALAnalyzer.SpeechBelowTheGateIsNeverSpeech:DIALAnalyzer.FindsDialogueAtEveryRate:DIALAnalyzer.RatesWithoutARouteMeasureLoudnessWithoutDialogue:DIALAnalyzer.StereoAndMonoGiveTheDetectorTheSameDownmix:DIALAnalyzer.ResetForgetsEverythingAndBadSamplesCountAsSilence:DIALAnalyzer.BlockFormShowsThePerSampleBitsAtEverySplit:DriverMemory.TakenMemoryMeasuresAsABuiltDriverAndTheRestLeaves)
kalvo5_windows_tests(framework_tests SOURCES ${framework_sources} LIBS kalvo5_iplug_vst2)
kalvo5_windows_tests(plugin_tests SOURCES ${plugin_sources} LIBS kalvo5_update kalvo5_vst2_plugin)
# The files the plug-in tests read, copied beside the program (its fallback
# when $KALVO5_TEST_DATA is not set).
target_compile_definitions(plugin_tests PRIVATE KALVO5_TEST_DATA="data")
add_custom_command(TARGET plugin_tests POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${TESTS}/plugin/data $<TARGET_FILE_DIR:plugin_tests>/data)
kalvo5_windows_tests(igraphics_tests SOURCES ${igraphics_sources} LIBS kalvo5_igraphics kalvo5_iplug_vst2)
add_executable(kalvo5-state ${TESTS}/state/StateTool.cpp)
target_link_libraries(kalvo5-state PRIVATE kalvo5_meter_host)
kalvo5_warnings(kalvo5-state)

kalvo5_windows_tests(platform_win32_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlatformWin32Test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpdateTransferTest.cpp LIBS kalvo5_platform kalvo5_update ws2_32)

# The editor's Win32 window on its own, and Kalvo5.dll's editor in a Win32
# host. Both need a display: Wine draws on the X server of $DISPLAY
# (scripts/windows/wine-tests.sh starts Xvfb).
kalvo5_windows_tests(win32_window_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/Win32WindowTest.cpp
  LIBS kalvo5_graphics user32)

# Kalvo5.dll's editor in a Win32 host, compared with the Linux build's
# capture ($KALVO5_EDITOR_REFERENCE; under ctest the one KALVO5_HOST_BUILD's
# tests make). It needs a display: Wine draws on the X server of $DISPLAY
# (scripts/windows/wine-tests.sh starts Xvfb).
kalvo5_windows_tests(editor_host_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/EditorHostTest.cpp LIBS kalvo5_vst2 user32 gdi32)
add_dependencies(editor_host_tests Kalvo5)
set_property(TEST editor_host_tests APPEND PROPERTY
  ENVIRONMENT KALVO5_EDITOR_REFERENCE=${KALVO5_HOST_BUILD}/tests/kalvo5-editor-reference.ppm)

# Programs that need a Wine prefix set to 144 DPI come here: wine-tests.sh
# runs editor_dpi_tests in such a prefix and leaves it out of the others.
# Kalvo5.dll's editor there: the size a host reads before opening it.
kalvo5_windows_tests(editor_dpi_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/EditorDpiTest.cpp LIBS kalvo5_vst2 user32
  gdi32)
add_dependencies(editor_dpi_tests Kalvo5)

# The meter's files under names in any script.
kalvo5_windows_tests(meter_win32_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/MeterPathsTest.cpp LIBS kalvo5_meter_host)

kalvo5_windows_tests(font_fallback_tests SOURCES ${TESTS}/graphics/FontFallbackTest.cpp LIBS kalvo5_graphics kalvo5_font_resources kalvo5::cairo)
