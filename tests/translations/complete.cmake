# cmake -DLUPDATE=lupdate -DLRELEASE=lrelease -DTS_FILES=... -DSOURCES=... -DPO_DIR=po -DWORK=DIR
#       -DPOT_COMMAND=... -DPOT_SCRIPT=pot.cmake -P complete.cmake
# Fails when a text of the program, of the menu entry, of the store metadata or of the manual page
# has no translation in one of the languages shipped, or has only a fuzzy or unfinished one.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(faults "")

# The program: each .ts, updated from the sources, must leave lrelease nothing unfinished.
foreach(ts IN LISTS TS_FILES)
  get_filename_component(name ${ts} NAME)
  file(COPY_FILE ${ts} ${WORK}/${name})
  execute_process(COMMAND ${LUPDATE} -locations none -no-obsolete ${SOURCES} -ts ${WORK}/${name}
    RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate ${name}: ${err}")
  endif()
  execute_process(COMMAND ${LRELEASE} ${WORK}/${name} -qm ${WORK}/${name}.qm
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR NOT out MATCHES "Generated [0-9]+ translation\\(s\\) \\([0-9]+ finished and 0 unfinished\\)"
     OR out MATCHES "Ignored")
    string(APPEND faults "${name}: ${out}${err}")
  endif()
  # A text gone from the program leaves its translation behind: the update has fewer messages.
  file(STRINGS ${ts} kept REGEX "<message")
  file(STRINGS ${WORK}/${name} current REGEX "<message")
  list(LENGTH kept kept)
  list(LENGTH current current)
  if(NOT kept EQUAL current)
    string(APPEND faults "${name}: ${kept} messages, the sources have ${current} "
      "(cmake --build BUILD --target update_translations)\n")
  endif()
endforeach()

# The menu entry, the metadata and the manual page: each .po, merged with the template, must have
# every message translated, none fuzzy.
execute_process(COMMAND ${POT_COMMAND} -DPOT=${WORK}/morvik.pot -P ${POT_SCRIPT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the template could not be made")
endif()
file(GLOB po_files ${PO_DIR}/*.po)
foreach(po IN LISTS po_files)
  get_filename_component(name ${po} NAME)
  execute_process(COMMAND msgmerge --quiet --no-fuzzy-matching -o ${WORK}/${name} ${po} ${WORK}/morvik.pot
    RESULT_VARIABLE status ERROR_VARIABLE err)
  execute_process(COMMAND msgfmt --check --statistics -o /dev/null ${WORK}/${name}
    RESULT_VARIABLE status2 OUTPUT_VARIABLE out ERROR_VARIABLE said)
  string(STRIP "${said}" said)
  if(NOT status EQUAL 0 OR NOT status2 EQUAL 0 OR NOT said MATCHES "^[0-9]+ translated messages?\\.$")
    string(APPEND faults "${name}: ${err}${said}\n")
  endif()
endforeach()

if(faults)
  message(FATAL_ERROR "translations not complete:\n${faults}")
endif()
list(LENGTH TS_FILES ts_count)
list(LENGTH po_files po_count)
message("every text translated: ${ts_count} .ts and ${po_count} .po")
