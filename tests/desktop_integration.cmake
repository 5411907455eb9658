# The desktop integration test installs the build into a scratch prefix and
# checks what a desktop finds there; it needs to know both trees.
if(TARGET test_desktop_integration)
  if(UNIX AND NOT APPLE)
    set(ZERVA_FREEDESKTOP 1)
  else()
    set(ZERVA_FREEDESKTOP 0)
  endif()
  target_compile_definitions(test_desktop_integration PRIVATE
    ZERVA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ZERVA_BUILD_DIR="${PROJECT_BINARY_DIR}"
    ZERVA_CMAKE_COMMAND="${CMAKE_COMMAND}"
    ZERVA_DESKTOP_INTEGRATION=${ZERVA_FREEDESKTOP})
endif()
