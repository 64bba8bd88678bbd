# GoogleTest: in the Windows build compiled from the sources of Debian's
# googletest package with the cross compiler; natively the packaged library.
if(ZW_WINDOWS)
  set(ZW_GTEST_SOURCE /usr/src/googletest/googletest)
  add_library(zw_gtest STATIC
    ${ZW_GTEST_SOURCE}/src/gtest-all.cc
    ${ZW_GTEST_SOURCE}/src/gtest_main.cc)
  target_include_directories(zw_gtest SYSTEM PUBLIC
    ${ZW_GTEST_SOURCE}/include PRIVATE ${ZW_GTEST_SOURCE})
  target_compile_options(zw_gtest PRIVATE -w)
  add_library(GTest::gtest_main ALIAS zw_gtest)
else()
  find_package(GTest REQUIRED)
endif()

# zw_add_gtest(NAME <name> [PORTABLE] SOURCES <files...> [LIBRARIES <libs...>])
#
# A PORTABLE test is built natively and for Windows; any other only for
# Windows. Each executable is one CTest entry and writes its results as
# GoogleTest XML into ZW_RESULTS_DIR.
function(zw_add_gtest)
  cmake_parse_arguments(T "PORTABLE" "NAME" "SOURCES;LIBRARIES" ${ARGN})
  if(NOT ZW_WINDOWS AND NOT T_PORTABLE)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBRARIES} GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
  if(ZW_WINDOWS)
    # Wine resolves the unix path through the Z: drive.
    set(xml "xml:Z:${ZW_RESULTS_DIR}/${T_NAME}.xml")
  else()
    set(xml "xml:${ZW_RESULTS_DIR}/${T_NAME}.xml")
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_output=${xml})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "ZW_CAPTURE_WAV=${CMAKE_BINARY_DIR}/captures/${T_NAME}.wav")
endfunction()
