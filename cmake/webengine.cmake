# -DZERVA_WEBENGINE=ON shows the banner in a full browser (QtWebEngine)
# instead of the light default control.
option(ZERVA_WEBENGINE "Show the banner in QtWebEngine instead of the light control" OFF)
if(ZERVA_WEBENGINE)
  find_package(Qt6 6.4 REQUIRED COMPONENTS WebEngineWidgets)
  file(GLOB ZERVA_WEBENGINE_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_LIST_DIR}/../src/platform/webengine/*.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../src/platform/webengine/*.h)
  if(WIN32)
    list(FILTER ZERVA_WEBENGINE_SOURCES EXCLUDE REGEX "/webengine/posix_[^/]*$")
  else()
    list(FILTER ZERVA_WEBENGINE_SOURCES EXCLUDE REGEX "/webengine/win_[^/]*$")
  endif()
  # The browser's MakeSystemBanner replaces the light one.
  get_target_property(zerva_core_sources zerva_core SOURCES)
  list(FILTER zerva_core_sources EXCLUDE REGEX "/src/platform/light_system_banner\\.cpp$")
  set_property(TARGET zerva_core PROPERTY SOURCES ${zerva_core_sources} ${ZERVA_WEBENGINE_SOURCES})
  target_link_libraries(zerva_core PUBLIC Qt6::WebEngineWidgets)
endif()
