# In the sanitizer build: each fault of the canary must be reported, or the
# suite's silence proves nothing.
if(ZERVA_SANITIZE)
  add_executable(sanitizer_canary ${CMAKE_CURRENT_SOURCE_DIR}/sanitize/canary.cpp)
  foreach(fault IN ITEMS use-after-free heap-overflow leak signed-overflow)
    add_test(NAME sanitizer_reports_${fault} COMMAND sanitizer_canary ${fault})
    set_tests_properties(sanitizer_reports_${fault} PROPERTIES
      PASS_REGULAR_EXPRESSION "ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:")
  endforeach()
endif()
