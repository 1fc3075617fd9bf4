# cmake -DSCREENSHOTS=morvik-screenshots -DWORK=DIR -P same_in_every_language.cmake
# The game's screenshots, in both ways to play, are the same to the byte under an English and under
# a Czech locale: a translation changes what is said, never what is shown.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
unset(ENV{LANGUAGE})
unset(ENV{LC_ALL})
unset(ENV{LC_MESSAGES})
foreach(locale C.UTF-8 cs_CZ.UTF-8)
  set(ENV{LANG} ${locale})
  execute_process(COMMAND ${SCREENSHOTS} ${WORK}/${locale} RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "morvik-screenshots under LANG=${locale}: ${err}")
  endif()
endforeach()
foreach(shot sliding.png assembly.png)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/C.UTF-8/${shot} ${WORK}/cs_CZ.UTF-8/${shot}
    RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${shot} differs between LANG=C.UTF-8 and LANG=cs_CZ.UTF-8 (${WORK})")
  endif()
endforeach()
message("the same screenshots under LANG=C.UTF-8 and LANG=cs_CZ.UTF-8")
