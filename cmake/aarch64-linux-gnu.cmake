# Cross-builds for Linux on ARM64 with Debian's GCC; the tests run under
# qemu-user (Debian's qemu-user-static):
#   cmake -S . -B build-aarch64 --toolchain cmake/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(REPLAYGEN_TRIPLE aarch64-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
