# What the cross builds share, included by their toolchain files after they
# set REPLAYGEN_TRIPLE: the target's libraries and headers alone, where
# Debian's cross packages put them, the build machine's programs, and
# programs linked statically, which an emulator runs without the target's
# shared libraries.
set(CMAKE_FIND_ROOT_PATH /usr/${REPLAYGEN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
