# Shared part of the MinGW toolchain files; LVX_MINGW_TRIPLE names the target.
# The -posix variants are required: the -win32 thread model has no std::mutex/std::thread.
set(CMAKE_C_COMPILER ${LVX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LVX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LVX_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LVX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run through Wine; the scripts provide WINEPREFIX and DISPLAY.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
