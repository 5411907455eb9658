# What the Windows build needs beyond Qt: the libraries of the management
# service (WMI) and COM, and the token calls for the Debug privilege.
if(WIN32)
  target_link_libraries(zerva_core PRIVATE ole32 oleaut32 wbemuuid advapi32)
  # windows.h would otherwise define min and max as macros.
  target_compile_definitions(zerva_core PRIVATE NOMINMAX)
endif()

# zerva.exe is a GUI program: no console window opens beside the main window.
if(WIN32)
  set_target_properties(zerva PROPERTIES WIN32_EXECUTABLE ON)
endif()
