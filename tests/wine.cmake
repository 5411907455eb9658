# The Windows platform pieces (process source, shell, code pages) in a
# console test without Qt. Elsewhere it is cross-compiled and run under Wine
# by scripts/wine-test (skipped when MinGW-w64 or Wine is missing); on
# Windows it is an ordinary test.
if(WIN32)
  add_executable(windows_platform_test
    ${CMAKE_CURRENT_SOURCE_DIR}/wine/windows_platform_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/wine/native_answers_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/wine/fake_nt.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/wine/self_check.cpp)
  target_link_libraries(windows_platform_test PRIVATE zerva_core zerva_warnings shell32 psapi)
  add_test(NAME windows_platform COMMAND windows_platform_test)
else()
  set(ZERVA_WINE_TEST_ARGS ${CMAKE_CURRENT_BINARY_DIR}/wine)
  if(ZERVA_WERROR)
    list(APPEND ZERVA_WINE_TEST_ARGS --werror)
  endif()
  add_test(NAME wine_platform COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-test ${ZERVA_WINE_TEST_ARGS})
  # Compiling on a busy machine and Wine's first start take a while.
  set_tests_properties(wine_platform PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 900)
endif()
