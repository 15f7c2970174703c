# GoogleTest for the unit tests: the one installed for the target where it is
# found, else built here from its source, which Debian's libgtest-dev ships;
# so builds for other processors, and with other C++ libraries, have it too.
find_package(GTest)
set(REPLAYGEN_GTEST_SOURCE /usr/src/googletest CACHE PATH
  "GoogleTest's source, built where no GoogleTest for the target is found")
if(NOT GTest_FOUND AND EXISTS ${REPLAYGEN_GTEST_SOURCE}/CMakeLists.txt)
  set(BUILD_GMOCK OFF)
  set(INSTALL_GTEST OFF)  # no part of replaygen's install or packages
  add_subdirectory(${REPLAYGEN_GTEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Its warnings are its own.
  set_target_properties(gtest gtest_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
endif()
