# Stands in for tests that could not be built: fails, saying why.
#   cmake -DREASON=... -P fail_test.cmake
message(FATAL_ERROR "${REASON}")
