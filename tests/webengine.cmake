# The full-browser banner's test, in builds with -DZERVA_WEBENGINE=ON.
if(ZERVA_WEBENGINE)
  add_executable(test_webengine_banner ${CMAKE_CURRENT_SOURCE_DIR}/webengine/test_webengine_banner.cpp)
  target_link_libraries(test_webengine_banner PRIVATE zerva_test_support zerva_warnings)
  add_test(NAME test_webengine_banner COMMAND test_webengine_banner)
  # Chromium refuses to run as root inside its sandbox; tests may run as root.
  set_tests_properties(test_webengine_banner PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox"
    TIMEOUT 300)
endif()
