# cmake -DBUILD=B -DROOT=R -DPREFIX=P "-DLANGUAGES=cs;..." -P install_tree.cmake
# Installs the build B with DESTDIR=R under the prefix P, which is not the configured one, and
# checks that exactly the expected files landed under R/P and that the menu entry points at them.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${ROOT})
set(ENV{DESTDIR} ${ROOT})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "install failed: ${err}")
endif()

set(expected
  games/morvik
  lib/morvik/morvik-audio.so
  share/applications/io.github.morvik.Morvik.desktop
  share/games/morvik/ST.Mid
  share/games/morvik/Yes.wav
  share/games/morvik/done.wav
  share/games/morvik/move.wav
  share/games/morvik/no.wav
  share/icons/hicolor/128x128/apps/io.github.morvik.Morvik.png
  share/icons/hicolor/16x16/apps/io.github.morvik.Morvik.png
  share/icons/hicolor/24x24/apps/io.github.morvik.Morvik.png
  share/icons/hicolor/256x256/apps/io.github.morvik.Morvik.png
  share/icons/hicolor/32x32/apps/io.github.morvik.Morvik.png
  share/icons/hicolor/48x48/apps/io.github.morvik.Morvik.png
  share/icons/hicolor/64x64/apps/io.github.morvik.Morvik.png
  share/man/man6/morvik.6
  share/metainfo/io.github.morvik.Morvik.metainfo.xml)
# A manual page in each language of po/.
foreach(language IN LISTS LANGUAGES)
  list(APPEND expected share/man/${language}/man6/morvik.6)
endforeach()
list(SORT expected)
# Everything under the root, so that a file put outside the prefix is found too.
file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${ROOT}${PREFIX} ${ROOT}/*)
list(SORT found)
if(NOT found STREQUAL expected)
  string(REPLACE ";" "\n  " found "${found}")
  message(FATAL_ERROR "installed files:\n  ${found}")
endif()

set(share ${ROOT}${PREFIX}/share)
file(STRINGS ${share}/applications/io.github.morvik.Morvik.desktop entry)
foreach(line "Exec=morvik" "Path=${PREFIX}/share/games/morvik" "Icon=io.github.morvik.Morvik")
  if(NOT line IN_LIST entry)
    message(FATAL_ERROR "the menu entry lacks ${line}")
  endif()
endforeach()
file(READ ${share}/metainfo/io.github.morvik.Morvik.metainfo.xml metainfo)
foreach(part "<id>io.github.morvik.Morvik</id>"
             "<launchable type=\"desktop-id\">io.github.morvik.Morvik.desktop</launchable>")
  string(FIND "${metainfo}" "${part}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the metadata lacks ${part}")
  endif()
endforeach()
file(READ ${share}/man/man6/morvik.6 manual)
string(FIND "${manual}" "${PREFIX}/share/games/morvik" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the manual page does not name the sound folder ${PREFIX}/share/games/morvik")
endif()
