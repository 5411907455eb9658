# Tests of the POSIX-only pieces (UTF-8 kvr.conf, file modes, pipes): one
# executable per tests/posix/test_*.cpp, as for the tests beside this file.
if(NOT WIN32)
  zerva_add_qt_tests(${CMAKE_CURRENT_SOURCE_DIR}/posix)
endif()
