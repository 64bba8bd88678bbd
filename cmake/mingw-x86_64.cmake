# Cross build for 64-bit Windows: the 64-bit DLL and its host test.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
