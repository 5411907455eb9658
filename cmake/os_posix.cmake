# The platform back-ends for Linux and other POSIX systems, one line per
# file. CMakeLists.txt adds ZERVA_OS_SOURCES to the core library when the
# build is not for Windows.

# The trusted-program file's text codec; `make fuzz` builds these into the
# fuzz targets too (cmake/fuzz.cmake).
set(ZERVA_POSIX_CODEC_SOURCES
  src/platform/os/posix/code_page_1254.cpp
  src/platform/os/posix/code_page_1254.h
  src/platform/os/posix/posix_conf_codec.cpp
)

set(ZERVA_OS_SOURCES
  ${ZERVA_POSIX_CODEC_SOURCES}
  src/platform/os/posix/bounded_read.cpp
  src/platform/os/posix/bounded_read.h
  src/platform/os/posix/exec_events.cpp
  src/platform/os/posix/exec_events.h
  src/platform/os/posix/exec_record_reader.cpp
  src/platform/os/posix/exec_record_reader.h
  src/platform/os/posix/fanotify_exec.cpp
  src/platform/os/posix/fanotify_exec.h
  src/platform/os/posix/kernel_log.cpp
  src/platform/os/posix/kernel_log.h
  src/platform/os/posix/loader_lookup.cpp
  src/platform/os/posix/loader_lookup.h
  src/platform/os/posix/posix_add_lock.cpp
  src/platform/os/posix/posix_add_lock.h
  src/platform/os/posix/posix_conf_file.cpp
  src/platform/os/posix/posix_exec_watch.cpp
  src/platform/os/posix/posix_listed_shells.cpp
  src/platform/os/posix/posix_memory.cpp
  src/platform/os/posix/posix_path_spelling.cpp
  src/platform/os/posix/posix_shell.cpp
  src/platform/os/posix/posix_shell.h
  src/platform/os/posix/procfs_inside_readers.cpp
  src/platform/os/posix/procfs_inside_readers.h
  src/platform/os/posix/procfs_inside_check.cpp
  src/platform/os/posix/procfs_process_source.cpp
  src/platform/os/posix/procfs_process_source.h
  src/platform/os/posix/procfs_system_process_source.cpp
  src/platform/os/posix/procfs_tasks.cpp
  src/platform/os/posix/procfs_tasks.h
)

# Added with the full-browser banner (cmake/webengine.cmake).
set(ZERVA_OS_WEBENGINE_SOURCES
  src/platform/banner/webengine/posix_running_as_root.cpp
)
