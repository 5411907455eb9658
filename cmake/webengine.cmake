# The banner control built in: the light one by default; with
# -DZERVA_WEBENGINE=ON the banner is shown in a full browser (QtWebEngine)
# instead. Each brings its own MakeSystemBanner.
option(ZERVA_WEBENGINE "Show the banner in QtWebEngine instead of the light control" OFF)
if(ZERVA_WEBENGINE)
  find_package(Qt6 6.4 REQUIRED COMPONENTS WebEngineWidgets)
  target_sources(zerva_core PRIVATE
    src/platform/banner/webengine/chromium_start.cpp
    src/platform/banner/webengine/chromium_start.h
    src/platform/banner/webengine/webengine_banner.cpp
    src/platform/banner/webengine/webengine_banner.h
    src/platform/banner/webengine/webengine_system_banner.cpp
    ${ZERVA_OS_WEBENGINE_SOURCES})
  target_link_libraries(zerva_core PUBLIC Qt6::WebEngineWidgets)
else()
  target_sources(zerva_core PRIVATE src/platform/banner/light_system_banner.cpp)
endif()
