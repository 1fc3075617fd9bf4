# cmake -DMORVIK=path/to/morvik -P options.cmake
# The command line: help and version answer, and anything else is refused with one line and
# status 2, all before the toolkit looks for a display: with none at all, and with one named that
# does not exist, where a toolkit that tried would abort.
cmake_minimum_required(VERSION 3.25)
unset(ENV{WAYLAND_DISPLAY})
set(cases
  "--help|0|^Usage: morvik \\[OPTION\\]\n[A-Z][^\n]+\\.\n.*--version|"
  "-h|0|^Usage: morvik|"
  "--version|0|^morvik [0-9]+\\.[0-9]+\n$|"
  "-v|0|^morvik [0-9]|"
  "--bogus --help|0|^Usage: morvik|"
  "--bogus|2||^morvik: unknown option '--bogus' \\(see morvik --help\\)\n$"
  "picture.png|2||^morvik: unknown argument 'picture.png' \\(see morvik --help\\)\n$"
  "-platform offscreen --fullscreen|2||^morvik: unknown option '--fullscreen'[^\n]*\n$"
  "--platform offscreen -reverse -style=Fusion x|2||^morvik: unknown argument 'x'[^\n]*\n$"
  "-style|2||^morvik: option '-style' needs a value[^\n]*\n$"
  "-|2||^morvik: unknown option '-'[^\n]*\n$")
foreach(display "" ":nowhere")
  if(display STREQUAL "")
    unset(ENV{DISPLAY})
    unset(ENV{QT_QPA_PLATFORM})
  else()
    set(ENV{DISPLAY} ${display})
    set(ENV{QT_QPA_PLATFORM} xcb)
  endif()
  foreach(case IN LISTS cases)
    string(REPLACE "|" ";" case "${case}")
    list(GET case 0 args)
    list(GET case 1 expected)
    list(GET case 2 output)
    list(GET case 3 errors)
    separate_arguments(args)
    execute_process(COMMAND ${MORVIK} ${args} RESULT_VARIABLE status OUTPUT_VARIABLE out
      ERROR_VARIABLE err TIMEOUT 20)
    # An empty pattern means nothing at all on that stream.
    set(faults "")
    foreach(stream out err)
      set(pattern ${output})
      if(stream STREQUAL "err")
        set(pattern ${errors})
      endif()
      if((pattern STREQUAL "" AND NOT ${stream} STREQUAL "")
         OR (NOT pattern STREQUAL "" AND NOT ${stream} MATCHES "${pattern}"))
        set(faults "${stream}")
      endif()
    endforeach()
    if(NOT status STREQUAL expected OR faults)
      message(FATAL_ERROR "morvik ${args} (DISPLAY '${display}'): status ${status}, output:\n${out}\n"
        "errors:\n${err}")
    endif()
  endforeach()
endforeach()
