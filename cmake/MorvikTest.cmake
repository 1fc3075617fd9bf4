# morvik_test(NAME SOURCES... LIBS... [LABELS...]): a QtTest executable run by CTest without a
# display and with a real SDL audio path that writes nowhere audible (tests/drained_audio.sh).
# Labels say what a test needs beyond that: `display` (a display server of its own: Xvfb, Weston)
# or `server` (a sound server of its own). The package build runs only the tests with neither.
set(MORVIK_DRAINED_AUDIO ${PROJECT_SOURCE_DIR}/tests/drained_audio.sh)

function(morvik_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  morvik_test_run(${name} ${name} LABELS ${T_LABELS})
endfunction()

# morvik_test_run(TEST EXECUTABLE [ARGS...] [LABELS...]): one more CTest test of a morvik_test
# executable, in the same conditions, with QtTest's arguments (a function and a row, say).
function(morvik_test_run test executable)
  cmake_parse_arguments(T "" "" "ARGS;LABELS" ${ARGN})
  add_test(NAME ${test} COMMAND ${MORVIK_DRAINED_AUDIO} $<TARGET_FILE:${executable}> ${T_ARGS})
  set_tests_properties(${test} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;MORVIK_AUDIO_MODULE=$<TARGET_FILE:morvik_audio>;LSAN_OPTIONS=suppressions='${PROJECT_SOURCE_DIR}/tests/instpatch-leaks.supp'"
    TIMEOUT 600)
  if(T_LABELS)
    set_tests_properties(${test} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
