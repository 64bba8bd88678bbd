# Cross build for 32-bit Windows: the program, its tests and the 32-bit DLL.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
