# Helpers of the POSIX-only reliability tests (real child processes, process
# churn), and longer time limits for the slow ones: the churn test scans the
# whole live process table up to a thousand times (bounded by time as well:
# a crowded machine ends it early), the soak refreshes a shown window
# ten thousand times, and the hostile-file test reads 50 MB files; all slow on
# a crowded machine and under the sanitizers.
if(NOT WIN32)
  find_package(Threads REQUIRED)
  file(GLOB ZERVA_POSIX_TEST_SUPPORT CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/posix/support/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/posix/support/*.h)
  add_library(zerva_posix_test_support STATIC ${ZERVA_POSIX_TEST_SUPPORT})
  target_link_libraries(zerva_posix_test_support PUBLIC zerva_test_support Threads::Threads PRIVATE zerva_warnings)
  foreach(name IN ITEMS test_process_churn test_trust_bypass)
    if(TARGET ${name})
      target_link_libraries(${name} PRIVATE zerva_posix_test_support)
    endif()
  endforeach()
  foreach(name IN ITEMS test_process_churn test_soak test_hostile_kvr)
    if(TEST ${name})
      set_tests_properties(${name} PROPERTIES TIMEOUT 1200)
      # QtTest's own limit per test function, in milliseconds.
      set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT QTEST_FUNCTION_TIMEOUT=1150000)
    endif()
  endforeach()
endif()
