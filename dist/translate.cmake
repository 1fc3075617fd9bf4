# cmake -DMSGFMT=msgfmt -DPO4A_TRANSLATE=po4a-translate -DCONFIGURED=DIR -DTRANSLATED=DIR
#       -DAPP_ID=ID -DPO_FILES="po/cs.po;..." -P translate.cmake
# Merges the translations of po/ into the menu entry and the store metadata of CONFIGURED (one
# LANGUAGE.po after another, each adding its own keys and elements), and makes the manual page
# of each language as TRANSLATED/man/LANGUAGE/morvik.6. A text not yet translated stays English.
cmake_minimum_required(VERSION 3.25)
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  # po4a-translate says on every run that the po4a program is preferred; only failures matter.
  string(REGEX REPLACE "po4a-translate is deprecated[^\n]*\n?" "" err "${err}")
  if(NOT status EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "${ARGN}:\n${err}")
  endif()
endfunction()

set(desktop ${CONFIGURED}/${APP_ID}.desktop)
set(metainfo ${CONFIGURED}/${APP_ID}.metainfo.xml)
# Each step writes a file of the same name in a folder of its own: msgfmt finds AppStream's rules by
# the name's ending.
foreach(po IN LISTS PO_FILES)
  get_filename_component(language ${po} NAME_WE)
  set(step ${TRANSLATED}/with-${language})
  file(MAKE_DIRECTORY ${step})
  run(${MSGFMT} --desktop -l ${language} --template=${desktop} -o ${step}/${APP_ID}.desktop ${po})
  run(${MSGFMT} --xml -l ${language} --template=${metainfo} -o ${step}/${APP_ID}.metainfo.xml ${po})
  set(desktop ${step}/${APP_ID}.desktop)
  set(metainfo ${step}/${APP_ID}.metainfo.xml)
  file(MAKE_DIRECTORY ${TRANSLATED}/man/${language})
  # .TH's title, date and version stay as they are; -k 0 writes the page however much is translated.
  run(${PO4A_TRANSLATE} -f man -o untranslated=TH -M UTF-8 -L UTF-8 -k 0 -m ${CONFIGURED}/morvik.6
      -p ${po} -l ${TRANSLATED}/man/${language}/morvik.6)
endforeach()
file(COPY_FILE ${desktop} ${TRANSLATED}/${APP_ID}.desktop)
file(COPY_FILE ${metainfo} ${TRANSLATED}/${APP_ID}.metainfo.xml)
