# libFuzzer targets for the trusted-program file's reader and writer. Only
# with ZERVA_FUZZ (set by `make fuzz`, which configures a clang build for
# them); each target compiles just the pieces it fuzzes.
option(ZERVA_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(ZERVA_FUZZ)
  set(ZERVA_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  # The reader and writer, and the POSIX text codec (cmake/os_posix.cmake).
  set(ZERVA_FUZZ_SOURCES
    src/trusted/kvr_reader.cpp
    src/trusted/kvr_writer.cpp
    src/trusted/lower_case.cpp
    ${ZERVA_POSIX_CODEC_SOURCES})
  foreach(target IN ITEMS fuzz_kvr_read fuzz_kvr_write)
    add_executable(${target} tests/fuzz/${target}.cpp ${ZERVA_FUZZ_SOURCES})
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
    target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS)
    target_compile_options(${target} PRIVATE ${ZERVA_FUZZ_FLAGS})
    target_link_options(${target} PRIVATE ${ZERVA_FUZZ_FLAGS})
    target_link_libraries(${target} PRIVATE Qt6::Core zerva_warnings)
    set_target_properties(${target} PROPERTIES AUTOMOC OFF EXCLUDE_FROM_ALL ON)
  endforeach()
endif()
