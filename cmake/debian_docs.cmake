# Writes Debian's forms of the project's documents into OUTPUT_DIR, made from
# the sources so that they never disagree: the changelog in Debian's format
# from CHANGELOG.md, the copyright file from LICENSE, and a copy of the
# manual page (the build compresses the changelog and the page).
#   cmake -DSOURCE_DIR=... -DOUTPUT_DIR=... -DMAINTAINER=... -P debian_docs.cmake

# Debian's form of a date, "Wed, 09 Dec 2026 12:00:00 +0000", for YYYY-MM-DD.
function(debian_date iso result)
  string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" matched "${iso}")
  if(NOT matched)
    message(FATAL_ERROR "CHANGELOG.md: not a date: ${iso}")
  endif()
  set(day_text ${CMAKE_MATCH_3})
  # The leading 1 keeps "08" and "09" from reading as octal.
  math(EXPR year "${CMAKE_MATCH_1}")
  math(EXPR month "1${CMAKE_MATCH_2} - 100")
  math(EXPR day "1${CMAKE_MATCH_3} - 100")
  # The day of the week by Sakamoto's method: 0 is Sunday.
  set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  math(EXPR index "${month} - 1")
  list(GET month_offsets ${index} offset)
  if(month LESS 3)
    math(EXPR year "${year} - 1")
  endif()
  math(EXPR weekday "(${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${offset} + ${day}) % 7")
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET weekdays ${weekday} weekday_name)
  list(GET months ${index} month_name)
  set(${result} "${weekday_name}, ${day_text} ${month_name} ${CMAKE_MATCH_1} 12:00:00 +0000" PARENT_SCOPE)
endfunction()

# Each "## VERSION (YYYY-MM-DD)" section becomes an entry; its "- " items
# become "  * " items, their continuation lines indented to match.
function(write_changelog)
  file(STRINGS ${SOURCE_DIR}/CHANGELOG.md lines)
  set(text "")
  set(trailer "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^## ([^ ]+) \\(([0-9-]+)\\)$")
      set(version ${CMAKE_MATCH_1})
      debian_date(${CMAKE_MATCH_2} date)
      string(APPEND text "${trailer}replaygen (${version}) unstable; urgency=medium\n\n")
      set(trailer "\n -- ${MAINTAINER}  ${date}\n\n")
    elseif(line MATCHES "^- (.*)$")
      string(APPEND text "  * ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^  (.*)$")
      string(APPEND text "    ${CMAKE_MATCH_1}\n")
    endif()
  endforeach()
  string(REGEX REPLACE "\n\n$" "\n" trailer "${trailer}")
  file(WRITE ${OUTPUT_DIR}/changelog "${text}${trailer}")
endfunction()

# The licence text, after its copyright line, as the body of a field.
function(write_copyright)
  file(READ ${SOURCE_DIR}/LICENSE licence)
  if(NOT licence MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.*)$")
    message(FATAL_ERROR "LICENSE: no copyright line")
  endif()
  set(holder ${CMAKE_MATCH_1})
  string(STRIP "${CMAKE_MATCH_2}" body)
  string(REPLACE "\n\n" "\n.\n" body "${body}")
  string(REPLACE "\n" "\n " body "${body}")
  file(WRITE ${OUTPUT_DIR}/copyright
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: replaygen\n\n"
    "Files: *\n"
    "Copyright: ${holder}\n"
    "License: Expat\n"
    " ${body}\n")
endfunction()

write_changelog()
write_copyright()
configure_file(${SOURCE_DIR}/doc/replaygen.1 ${OUTPUT_DIR}/replaygen.1 COPYONLY)
