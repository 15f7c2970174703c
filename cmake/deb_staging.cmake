# Run by cpack before it makes each package, on the files it has installed
# for it: the .deb takes Debian's form, the licence in its copyright file
# alone and the program without the sections that Debian strips beside the
# symbols. The other packages keep LICENSE beside the program.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
  file(REMOVE ${root}/${CPACK_REPLAYGEN_LICENSE})
  execute_process(
    COMMAND ${CPACK_REPLAYGEN_STRIP} --remove-section=.comment --remove-section=.note
      ${root}/${CPACK_REPLAYGEN_PROGRAM}
    COMMAND_ERROR_IS_FATAL ANY)
endif()
