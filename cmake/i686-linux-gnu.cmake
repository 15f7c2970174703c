# Cross-builds for Linux on 32-bit x86 with Debian's GCC; the tests run under
# qemu-user (Debian's qemu-user-static), since not every x86-64 kernel runs
# 32-bit programs itself:
#   cmake -S . -B build-i686 --toolchain cmake/i686-linux-gnu.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(REPLAYGEN_TRIPLE i686-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386-static)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
