# The Windows cross build: only test files that need no fork, pseudo-terminal
# or X server, run under Wine with a private prefix in the build tree.
set(qv_test_exclude "/platform/|_posix_test\\.cpp$|/support/child\\.cpp$")
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh
  ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
