# cmake -DMORVIK=path/to/morvik -P options.cmake
# The command line: help and version answer, and anything else is refused with one line and
# status 2, all before the toolkit looks for a display: with none at all, and with one named that
# does not exist, where a toolkit that tried would abort. They speak the player's language: Czech
# where the locale is Czech, and English where the game has no translation, as for German.
cmake_minimum_required(VERSION 3.25)
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{LANGUAGE})
unset(ENV{LC_MESSAGES})
set(ENV{LC_ALL} C.UTF-8)
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

unset(ENV{LC_ALL})
set(cases
  "cs_CZ.UTF-8|--help|0|^Použití: morvik \\[VOLBA\\]\n[A-Z][^\n]+\\.\nHudba a zvukové efekty .*vypíše verzi a skončí\n|"
  "cs_CZ.UTF-8|--bogus|2||^morvik: neznámá volba „--bogus“ \\(viz morvik --help\\)\n$"
  "cs_CZ.UTF-8|-style|2||^morvik: volba „-style“ potřebuje hodnotu \\(viz morvik --help\\)\n$"
  "de_DE.UTF-8|--help|0|^Usage: morvik \\[OPTION\\]\n[A-Z][^\n]+\\.\nThe music .*show the version and exit\n|"
  "de_DE.UTF-8|--bogus|2||^morvik: unknown option '--bogus' \\(see morvik --help\\)\n$")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 locale)
  list(GET case 1 arg)
  list(GET case 2 expected)
  list(GET case 3 output)
  list(GET case 4 errors)
  set(ENV{LANG} ${locale})
  execute_process(COMMAND ${MORVIK} ${arg} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 20)
  if(NOT status STREQUAL expected OR NOT out MATCHES "${output}" OR NOT err MATCHES "${errors}"
     OR (output STREQUAL "" AND NOT out STREQUAL "") OR (errors STREQUAL "" AND NOT err STREQUAL ""))
    message(FATAL_ERROR "LANG=${locale} morvik ${arg}: status ${status}, output:\n${out}\nerrors:\n${err}")
  endif()
endforeach()
