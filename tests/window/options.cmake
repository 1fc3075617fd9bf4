# cmake -DMORVIK=path/to/morvik -P options.cmake
# The command line: help and version answer without a display, anything else is refused with one
# line and status 2 before a window opens.
cmake_minimum_required(VERSION 3.25)
# No display at all: help and version must not reach for one.
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{QT_QPA_PLATFORM})
set(cases
  "--help|0|^Usage: morvik \\[OPTION\\]\n.*--version"
  "-h|0|^Usage: morvik"
  "--version|0|^morvik [0-9]+\\.[0-9]+\n$"
  "-v|0|^morvik [0-9]"
  "--bogus --help|0|^Usage: morvik")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 args)
  list(GET case 1 expected)
  list(GET case 2 pattern)
  separate_arguments(args)
  execute_process(COMMAND ${MORVIK} ${args} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err
    TIMEOUT 20)
  if(NOT status STREQUAL expected OR NOT out MATCHES "${pattern}" OR NOT err STREQUAL "")
    message(FATAL_ERROR "morvik ${args}: status ${status}, output:\n${out}\nerrors:\n${err}")
  endif()
endforeach()

# Refusals need the application's own option handling, so a platform without a screen.
set(ENV{QT_QPA_PLATFORM} offscreen)
set(refused
  "--bogus|^morvik: unknown option '--bogus' \\(see morvik --help\\)\n$"
  "picture.png|^morvik: unknown argument 'picture.png'"
  "-platform offscreen --fullscreen|^morvik: unknown option '--fullscreen'")
foreach(case IN LISTS refused)
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 args)
  list(GET case 1 pattern)
  separate_arguments(args)
  execute_process(COMMAND ${MORVIK} ${args} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err
    TIMEOUT 20)
  # Qt may say where its runtime folder is; the game's own line is the last.
  string(REGEX REPLACE "^(QStandardPaths:[^\n]*\n)+" "" err "${err}")
  if(NOT status EQUAL 2 OR NOT err MATCHES "${pattern}" OR NOT out STREQUAL "")
    message(FATAL_ERROR "morvik ${args}: status ${status}, output:\n${out}\nerrors:\n${err}")
  endif()
endforeach()
