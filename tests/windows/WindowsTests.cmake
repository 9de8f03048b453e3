# The Windows cross build: only test files that need no fork, pseudo-terminal
# or X server, run under Wine with a private prefix in the build tree.
set(qv_test_exclude "_posix_test\\.cpp$|/support/child\\.cpp$|/consolewatch\\.cpp$")
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/windows/wine-run.sh
  ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
# A player's view of a console window, for the tests of the game in one.
add_executable(consolewatch ${CMAKE_CURRENT_LIST_DIR}/consolewatch.cpp)
