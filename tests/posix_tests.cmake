# Tests of the POSIX-only pieces (/proc, UTF-8 kvr.conf, file modes, pipes,
# real child processes): one executable per tests/posix/test_*.cpp, with the
# helpers in tests/posix/support.
if(NOT WIN32)
  find_package(Threads REQUIRED)
  add_library(zerva_posix_test_support STATIC
    posix/support/code_rewrite.cpp
    posix/support/code_rewrite.h
    posix/support/fake_proc_tree.cpp
    posix/support/fake_proc_tree.h
    posix/support/forged_link_process.cpp
    posix/support/forged_link_process.h
    posix/support/listed_row.cpp
    posix/support/listed_row.h
    posix/support/process_churn.cpp
    posix/support/process_churn.h
    posix/support/sanitized.h
    posix/support/spawned_process.cpp
    posix/support/spawned_process.h)
  target_link_libraries(zerva_posix_test_support PUBLIC zerva_test_support Threads::Threads PRIVATE zerva_warnings)
  # A library of its own: it must stay mapped when a test's program is not.
  add_library(zerva_forged_link SHARED posix/support/forged_link.cpp posix/support/forged_link.h)
  target_include_directories(zerva_forged_link PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(zerva_forged_link PRIVATE zerva_warnings)
  # Its calls bound at load: a lazy lookup would read the unmapped program.
  target_link_options(zerva_forged_link PRIVATE -Wl,-z,now)
  zerva_add_qt_tests(${CMAKE_CURRENT_SOURCE_DIR}/posix zerva_posix_test_support
    test_hostile_kvr
    test_hostile_kvr_modes
    test_kvr_editor_race
    test_kernel_record
    test_kvr_owners
    test_posix_conf_codec
    test_posix_shell
    test_process_churn
    test_exec_record_reader
    test_procfs_source
    test_scan_values
    test_soak
    test_trust_bypass
    test_trusted_file_posix)
  # Only the tests that forge links load the library. The others load
  # nothing from the build tree: test_kvr_owners runs a copy of itself as
  # another account, which cannot enter a build tree in a private folder.
  # Found beside them too: a copy of the build run as another account may
  # not enter the folder the build tree sits in.
  foreach(test test_trust_bypass test_kernel_record)
    target_link_libraries(${test} PRIVATE zerva_forged_link)
    set_property(TARGET ${test} APPEND PROPERTY BUILD_RPATH "\$ORIGIN")
  endforeach()
  # The forged link as a program of its own, for checking the window by hand.
  add_executable(zerva_forge_link posix/forge_link_tool.cpp)
  target_link_libraries(zerva_forge_link PRIVATE zerva_posix_test_support zerva_forged_link zerva_warnings)
  set_property(TARGET zerva_forge_link APPEND PROPERTY BUILD_RPATH "\$ORIGIN")
  add_dependencies(test_trust_bypass zerva_forge_link)
endif()
