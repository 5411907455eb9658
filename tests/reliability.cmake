# Longer time limits for the slow POSIX-only reliability tests: the churn
# test scans the whole live process table up to a thousand times (bounded by
# time as well: a crowded machine ends it early), the soak refreshes a shown
# window ten thousand times, and the hostile-file test reads 50 MB files; all
# slow on a crowded machine and under the sanitizers. The kernel-record test
# starts two thousand processes.
if(NOT WIN32)
  foreach(name IN ITEMS test_process_churn test_soak test_hostile_kvr test_kernel_record)
    if(TEST ${name})
      set_tests_properties(${name} PROPERTIES TIMEOUT 1200)
      # QtTest's own limit per test function, in milliseconds.
      set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT QTEST_FUNCTION_TIMEOUT=1150000)
    endif()
  endforeach()
endif()
