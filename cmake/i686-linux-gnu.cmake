# Cross-builds for Linux on 32-bit x86 with Debian's GCC; the tests run
# directly, as x86-64 Linux runs 32-bit x86 programs itself:
#   cmake -S . -B build-i686 --toolchain cmake/i686-linux-gnu.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(REPLAYGEN_TRIPLE i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
