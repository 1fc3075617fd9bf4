# cmake -DXGETTEXT=xgettext -DMSGCAT=msgcat -DPO4A_UPDATEPO=po4a-updatepo -DCONFIGURED=DIR
#       -DAPP_ID=ID -DPOT=morvik.pot -P pot.cmake
# The template of every po/LANGUAGE.po: the texts of the menu entry and of the store metadata
# (by AppStream's rules), and of the manual page, as the release fills them in.
cmake_minimum_required(VERSION 3.25)
get_filename_component(dir ${POT} DIRECTORY)
execute_process(COMMAND ${XGETTEXT} --from-code=UTF-8 --add-location=file --omit-header
                        -o ${POT}.entry ${APP_ID}.desktop ${APP_ID}.metainfo.xml
  WORKING_DIRECTORY ${CONFIGURED} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "xgettext failed")
endif()
execute_process(COMMAND ${PO4A_UPDATEPO} -f man -o untranslated=TH -M UTF-8 --package-name morvik
                        -m morvik.6 -p ${POT}.manual
  WORKING_DIRECTORY ${CONFIGURED} RESULT_VARIABLE status ERROR_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "po4a-updatepo failed")
endif()
execute_process(COMMAND ${MSGCAT} --use-first -o ${POT} ${POT}.manual ${POT}.entry RESULT_VARIABLE status)
file(REMOVE ${POT}.entry ${POT}.manual)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "msgcat failed")
endif()
