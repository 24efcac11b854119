# Cross-building for 64-bit Windows with Debian's mingw-w64 (the POSIX thread model, which
# std::thread needs). The programs link the compiler's runtime statically, so that a bare Windows
# runs them without any DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORNAK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORNAK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORNAK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VORNAK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORNAK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
