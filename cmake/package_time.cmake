# Read by cpack for each package: the packages' time stamps come from
# SOURCE_DATE_EPOCH, which is the commit's date unless the caller sets it, so
# that two builds of one commit give the same bytes.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}
    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(NOT failed)
    set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
  endif()
endif()
