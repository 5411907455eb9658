# Tests of the Windows build as its users meet it (tests/windows/): the main
# window on the system's process list, the add command under a Turkish code
# page, the trust test against a real process and on the rows made from
# answers as Windows 10 and 11 give them. Cross-built, they run under Wine
# (scripts/windows-test).
if(WIN32)
  zerva_add_qt_tests(${CMAKE_CURRENT_SOURCE_DIR}/windows zerva_test_support
    test_native_trust
    test_system_window
    test_turkish_code_page
    test_windows_trust)
  # The stand-ins for the system's calls, shared with the console test.
  target_sources(test_native_trust PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/wine/fake_nt.cpp)
  target_include_directories(test_native_trust PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/wine)
  # With the Windows platform plugin (under Wine: in Xvfb): the real window,
  # and the fonts of the system's own font database, which the offscreen
  # plugin does not read on Windows.
  set_tests_properties(test_system_window test_fonts PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=windows;QT_ACCESSIBILITY=1")
  # Wine takes the ANSI code page from the locale: 1254 for Turkish.
  set_property(TEST test_turkish_code_page APPEND PROPERTY ENVIRONMENT LC_ALL=tr_TR.UTF-8)
endif()
