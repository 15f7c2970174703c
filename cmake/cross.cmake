# What the cross builds share, included by their toolchain files after they
# set REPLAYGEN_TRIPLE: the target's libraries and headers alone, where
# Debian's cross packages put them, and the build machine's programs.
set(CMAKE_FIND_ROOT_PATH /usr/${REPLAYGEN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
