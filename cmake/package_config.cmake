# Read by cpack for each package. The .tar.gz takes the program made for it,
# the static one on Linux, in the place of the .deb's. The packages' time
# stamps come from SOURCE_DATE_EPOCH, which is the commit's date unless the
# caller sets it, so that two builds of one commit give the same bytes.
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_INSTALL_CMAKE_PROJECTS ${CPACK_REPLAYGEN_ARCHIVE_PROJECTS})
endif()
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}
    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(NOT failed)
    set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
  endif()
endif()
