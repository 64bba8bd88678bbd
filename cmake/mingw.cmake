# Cross build for Windows with the MinGW-w64 posix-thread compilers of the
# processor the including toolchain file names.
set(CMAKE_SYSTEM_NAME Windows)
set(zw_mingw ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER ${zw_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${zw_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${zw_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${zw_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test executables run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-exec.sh)
