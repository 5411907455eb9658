# The churn test scans the whole live process table a thousand times and the
# soak refreshes a shown window ten thousand times: slow on a crowded machine
# and under the sanitizers.
foreach(name IN ITEMS test_process_churn test_soak)
  if(TEST ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 1200)
  endif()
endforeach()
