# Cross-builds for Linux on s390x, which is big-endian, with Debian's GCC;
# the tests run under qemu-user (Debian's qemu-user-static):
#   cmake -S . -B build-s390x --toolchain cmake/s390x-linux-gnu.cmake
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(REPLAYGEN_TRIPLE s390x-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-s390x-static)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
