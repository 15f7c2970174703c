# Linux on another processor, with Debian's cross GCC for REPLAYGEN_TRIPLE;
# included by the toolchain files that set it.
set(CMAKE_SYSTEM_NAME Linux)
# The C compiler only for GoogleTest's project, which asks for one.
set(CMAKE_C_COMPILER ${REPLAYGEN_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${REPLAYGEN_TRIPLE}-g++)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
