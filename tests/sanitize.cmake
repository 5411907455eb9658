# In the sanitizer build: each fault of the canary must be reported, or the
# suite's silence proves nothing.
if(ZERVA_SANITIZE)
  add_executable(sanitizer_canary ${CMAKE_CURRENT_SOURCE_DIR}/sanitize/canary.cpp)
  foreach(fault IN ITEMS use-after-free heap-overflow leak signed-overflow)
    add_test(NAME sanitizer_reports_${fault} COMMAND sanitizer_canary ${fault})
    # Exit rather than abort after the report: CTest fails a test that dies
    # of a signal whatever its output.
    set_tests_properties(sanitizer_reports_${fault} PROPERTIES
      ENVIRONMENT "ASAN_OPTIONS=abort_on_error=0:detect_leaks=1"
      PASS_REGULAR_EXPRESSION "ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:")
  endforeach()
endif()
