# Cross-builds the Windows x86-64 program with Debian's MinGW-w64; the tests
# run under wine where it is installed:
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(REPLAYGEN_TRIPLE x86_64-w64-mingw32)
# The compilers with POSIX threads: GoogleTest needs std::mutex, which the
# default ones lack. The C compiler only for GoogleTest's project, which asks
# for one.
set(CMAKE_C_COMPILER ${REPLAYGEN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${REPLAYGEN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${REPLAYGEN_TRIPLE}-windres)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
# Programs linked statically, which wine runs without the compiler's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
# The tests write nothing outside the build folder: their wine prefix is in
# it, not in the user's home, which gets no menu entries for its programs
# either; and they end its server (tests/CMakeLists.txt).
find_program(REPLAYGEN_WINE wine)
find_program(REPLAYGEN_WINESERVER wineserver)
if(REPLAYGEN_WINE)
  set(REPLAYGEN_WINEPREFIX ${CMAKE_BINARY_DIR}/wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all WINEPREFIX=${REPLAYGEN_WINEPREFIX}
    WINEDLLOVERRIDES=winemenubuilder.exe=d ${REPLAYGEN_WINE})
endif()
