# The platform back-ends for Windows, one line per file. CMakeLists.txt adds
# ZERVA_OS_SOURCES to the core library when the build is for Windows.

# Plain C++ without Qt. scripts/wine-test reads the .cpp files of this list
# and builds them into the console test it runs under Wine, so keep it a
# plain list of paths.
set(ZERVA_WINDOWS_PLAIN_SOURCES
  src/platform/os/windows/dos_device_paths.cpp
  src/platform/os/windows/dos_device_paths.h
  src/platform/os/windows/nt_dll.cpp
  src/platform/os/windows/nt_dll.h
  src/platform/os/windows/nt_process_source.cpp
  src/platform/os/windows/nt_process_source.h
  src/platform/os/windows/win_code_page.cpp
  src/platform/os/windows/win_code_page.h
  src/platform/os/windows/win_conf_file.cpp
  src/platform/os/windows/win_exec_watch.cpp
  src/platform/os/windows/win_memory.cpp
  src/platform/os/windows/win_path_spelling.cpp
  src/platform/os/windows/win_shell.cpp
  src/platform/os/windows/win_shell.h
  src/platform/os/windows/wmi_process_source.cpp
  src/platform/os/windows/wmi_process_source.h
  src/platform/os/windows/wmi_system_process_source.cpp
  src/platform/os/windows/wmi_variant.cpp
  src/platform/os/windows/wmi_variant.h
)

set(ZERVA_OS_SOURCES
  ${ZERVA_WINDOWS_PLAIN_SOURCES}
  src/platform/os/windows/win_conf_codec.cpp
  src/platform/os/windows/win_listed_shells.cpp
  src/platform/os/windows/win_lock_place.cpp
)

# The program's own resources: its icon and version information.
set(ZERVA_ICO ${CMAKE_CURRENT_SOURCE_DIR}/resources/icons/zerva.ico)
configure_file(packaging/windows/zerva.rc.in ${CMAKE_CURRENT_BINARY_DIR}/zerva.rc @ONLY)
set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/zerva.rc APPEND PROPERTY OBJECT_DEPENDS ${ZERVA_ICO})
set(ZERVA_OS_APP_SOURCES
  ${CMAKE_CURRENT_BINARY_DIR}/zerva.rc
)

# Added with the full-browser banner (cmake/webengine.cmake).
set(ZERVA_OS_WEBENGINE_SOURCES
  src/platform/banner/webengine/win_running_as_root.cpp
)
