# Cross-building for 64-bit Windows with Debian's MinGW-w64 compilers. The
# -posix variants: C++ threads (std::thread, std::mutex) need them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRGUI_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRGUI_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRGUI_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TRGUI_MINGW_TRIPLE}-windres)

# Libraries and headers come from the Windows side only; programs (moc, rcc)
# from this machine. The cross-built Qt adds its own prefix to the root path.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TRGUI_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
