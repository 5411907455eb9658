# Tests of the POSIX-only pieces (UTF-8 kvr.conf, file modes, pipes): one
# executable per tests/posix/test_*.cpp, as for the tests beside this file.
if(NOT WIN32)
  file(GLOB ZERVA_POSIX_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/posix/test_*.cpp)
  foreach(src IN LISTS ZERVA_POSIX_TESTS)
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE zerva_test_support zerva_warnings)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_ACCESSIBILITY=1"
      TIMEOUT 300)
  endforeach()
endif()
