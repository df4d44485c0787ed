# Cross-building for 64-bit Windows with Debian's mingw-w64 (the posix-threads
# variant: the win32 one has no std::thread). The C++ runtime is linked in, so
# the program needs no DLL beside Windows' own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CORVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CORVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CORVANE_MINGW_TRIPLE}-windres)
# FreeType and GoogleTest as scripts/build-mingw-deps builds them.
if(NOT DEFINED CORVANE_MINGW_DEPS)
  set(CORVANE_MINGW_DEPS ${CMAKE_CURRENT_LIST_DIR}/../build/mingw-deps/prefix)
endif()
get_filename_component(CORVANE_MINGW_DEPS ${CORVANE_MINGW_DEPS} ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH ${CORVANE_MINGW_DEPS} /usr/${CORVANE_MINGW_TRIPLE})
# Programs of the build machine; libraries and headers of the target only.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
