# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix
# thread model, which Qt's std::thread use needs). Used for Qt itself
# (scripts/build-qt-mingw) and for Zerva (`make windows`).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZERVA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${ZERVA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZERVA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZERVA_MINGW_TRIPLET}-windres)
# The -posix suffix hides the binutils prefix from CMake's guess: name them.
foreach(tool IN ITEMS ar ranlib nm objdump objcopy strip dlltool)
  string(TOUPPER ${tool} var)
  set(CMAKE_${var} /usr/bin/${ZERVA_MINGW_TRIPLET}-${tool} CACHE FILEPATH "")
endforeach()
# Target headers, libraries and packages come from the MinGW tree (and from
# the trees added to CMAKE_FIND_ROOT_PATH, such as Qt's), never from the
# Linux system; programs (perl, Qt's host tools) from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${ZERVA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
