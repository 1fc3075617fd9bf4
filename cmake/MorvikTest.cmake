# morvik_test(NAME SOURCES... LIBS... [LABELS...]): a QtTest executable run by CTest without a
# display and with a real SDL audio path that writes nowhere audible (tests/drained_audio.sh).
# Labels say what a test needs beyond that: `display` (a display server of its own: Xvfb, Weston)
# or `server` (a sound server of its own). The package build runs only the tests with neither.
set(MORVIK_DRAINED_AUDIO ${PROJECT_SOURCE_DIR}/tests/drained_audio.sh)

function(morvik_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  add_test(NAME ${name} COMMAND ${MORVIK_DRAINED_AUDIO} $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;MORVIK_AUDIO_MODULE=$<TARGET_FILE:morvik_audio>"
    TIMEOUT 600)
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
