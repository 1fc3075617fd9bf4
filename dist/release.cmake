# The release's version and date come from the newest entry of debian/changelog, and the game's
# summary and description from the package's description in debian/control: each is written only
# there. Sets MORVIK_VERSION, MORVIK_RELEASE_DATE (YYYY-MM-DD), MORVIK_SUMMARY, and the
# description as paragraphs of AppStream markup (MORVIK_DESCRIPTION_XML) and of a manual page
# (MORVIK_DESCRIPTION_ROFF). Read before project(), which takes the version and the summary.
set(debian ${CMAKE_CURRENT_LIST_DIR}/../debian)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${debian}/changelog ${debian}/control)

file(READ ${debian}/changelog changelog)
# A derivative's own suffix (1.0ubuntu1, 1.0~ppa1) is not part of the game's version.
if(NOT changelog MATCHES "^morvik \\(([0-9]+(\\.[0-9]+)*)[^)]*\\)")
  message(FATAL_ERROR "debian/changelog: the newest entry has no version of the form 1.2")
endif()
set(MORVIK_VERSION ${CMAKE_MATCH_1})
if(NOT changelog MATCHES "\n -- [^\n]*>  [A-Z][a-z][a-z], ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "debian/changelog: the newest entry has no date")
endif()
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${CMAKE_MATCH_2} month)
math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
set(day ${CMAKE_MATCH_1})
string(LENGTH "${day}" digits)
if(digits EQUAL 1)
  set(day 0${day})
endif()
if(month LESS 10)
  set(month 0${month})
endif()
set(MORVIK_RELEASE_DATE ${CMAKE_MATCH_3}-${month}-${day})

file(READ ${debian}/control control)
if(NOT control MATCHES "\nDescription: ([^\n]+)\n(( [^\n]*\n)+)")
  message(FATAL_ERROR "debian/control: no Description")
endif()
set(MORVIK_SUMMARY ${CMAKE_MATCH_1})
set(text ${CMAKE_MATCH_2})
# Continuation lines lose their leading space; a line of a lone dot parts two paragraphs.
string(REGEX REPLACE "(^|\n) " "\\1" text "${text}")
string(REPLACE "\n.\n" "\r" text "${text}")
string(REPLACE "\n" " " text "${text}")
string(STRIP "${text}" text)

string(REPLACE "&" "&amp;" xml "${text}")
string(REPLACE "<" "&lt;" xml "${xml}")
string(REPLACE ">" "&gt;" xml "${xml}")
string(REPLACE "\r" "</p>\n    <p>" xml "${xml}")
set(MORVIK_DESCRIPTION_XML "<p>${xml}</p>")

# Each paragraph on a line of its own, opened by \& so that no line can be read as a request.
string(REPLACE "\\" "\\e" roff "${text}")
string(REPLACE "\r" "\n.PP\n\\&" roff "${roff}")
set(MORVIK_DESCRIPTION_ROFF "\\&${roff}")
