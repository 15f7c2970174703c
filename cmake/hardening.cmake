# Hardening of a release build, as Debian builds its packages: stack
# protection, _FORTIFY_SOURCE, control-flow protection where the target has
# it, and relro with bind-now, on top of the position-independent code that
# the compiler makes by default. Each flag that the compiler or linker does
# not accept is left out, and each goes before the packager's own flags.
include(CheckCXXCompilerFlag)
include(CheckCXXSymbolExists)
include(CheckLinkerFlag)

set(hardening_compile_flags "")
foreach(flag -fstack-protector-strong -fcf-protection)
  string(MAKE_C_IDENTIFIER "REPLAYGEN_CXX_ACCEPTS${flag}" accepted)
  check_cxx_compiler_flag(${flag} ${accepted})
  if(${accepted})
    string(APPEND hardening_compile_flags " ${flag}")
  endif()
endforeach()

# A level that the packager's flags or the compiler already set stands; an
# optimized build is where the compiler would set one.
set(CMAKE_REQUIRED_FLAGS "${CMAKE_CXX_FLAGS_RELEASE}")
check_cxx_symbol_exists(_FORTIFY_SOURCE "" REPLAYGEN_FORTIFY_SOURCE_SET)
unset(CMAKE_REQUIRED_FLAGS)
if(NOT REPLAYGEN_FORTIFY_SOURCE_SET)
  string(APPEND hardening_compile_flags " -D_FORTIFY_SOURCE=2")
endif()

set(hardening_link_flags "")
foreach(flag -Wl,-z,relro -Wl,-z,now)
  string(MAKE_C_IDENTIFIER "REPLAYGEN_LINKER_ACCEPTS${flag}" accepted)
  check_linker_flag(CXX ${flag} ${accepted})
  if(${accepted})
    string(APPEND hardening_link_flags " ${flag}")
  endif()
endforeach()

string(PREPEND CMAKE_CXX_FLAGS "${hardening_compile_flags} ")
string(PREPEND CMAKE_EXE_LINKER_FLAGS "${hardening_link_flags} ")
