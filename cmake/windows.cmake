# What the Windows build needs beyond Qt: the libraries of the management
# service (WMI) and COM, and the token calls for the Debug privilege.
if(WIN32)
  target_link_libraries(zerva_core PRIVATE ole32 oleaut32 wbemuuid advapi32)
  # windows.h would otherwise define min and max as macros.
  target_compile_definitions(zerva_core PRIVATE NOMINMAX)
endif()

# zerva.exe is a GUI program: no console window opens beside the main
# window. Its resources give it the icon and version information.
if(WIN32)
  set_target_properties(zerva PROPERTIES WIN32_EXECUTABLE ON)
  set(ZERVA_ICO ${CMAKE_CURRENT_SOURCE_DIR}/resources/icons/zerva.ico)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/zerva.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/zerva.rc @ONLY)
  target_sources(zerva PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/zerva.rc)
  set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/zerva.rc APPEND PROPERTY OBJECT_DEPENDS ${ZERVA_ICO})
endif()
