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

# zw_add_gtest(NAME <name> [PORTABLE] [OWN_DISPLAY] SOURCES <files...>
#              [LIBRARIES <libs...>] [PARTS <entry> <filter> ...] [APART <filter>...])
#
# A PORTABLE test is built natively and for Windows; any other only for
# Windows. Each executable is one CTest entry and writes its results as
# GoogleTest XML into ZW_RESULTS_DIR. PARTS split a long executable: the
# cases that match each GoogleTest filter run as an entry of their own, which
# may run beside the others, and the entry <name> runs every case that no
# part takes, so that a new case is never left out. APART cases need a
# set-up of their own (a broken device, say): only entries made for them with
# zw_add_gtest_entry run them.
#
# OWN_DISPLAY marks tests that read their windows back from the screen or
# press the real pointer and keys: another test's window must not come up
# over theirs. Under Wine each of their entries takes one of the run's
# "displays", which ./test starts and only such entries use.
function(zw_add_gtest)
  cmake_parse_arguments(T "PORTABLE;OWN_DISPLAY" "NAME" "SOURCES;LIBRARIES;PARTS;APART" ${ARGN})
  if(NOT ZW_WINDOWS AND NOT T_PORTABLE)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBRARIES} GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
  set(display "")
  if(T_OWN_DISPLAY)
    set(display OWN_DISPLAY)
  endif()
  set(taken "")
  while(T_PARTS)
    list(POP_FRONT T_PARTS entry filter)
    zw_add_gtest_entry(${entry} ${T_NAME} ${filter} ${display})
    string(APPEND taken ":${filter}")
  endwhile()
  foreach(filter ${T_APART})
    string(APPEND taken ":${filter}")
  endforeach()
  if(taken)
    string(SUBSTRING "${taken}" 1 -1 taken)
    set(taken "-${taken}")
  endif()
  zw_add_gtest_entry(${T_NAME} ${T_NAME} "${taken}" ${display})
endfunction()

# zw_add_gtest_entry(<entry> <executable> <filter> [OWN_DISPLAY]
#                    [WRAPPER <script>] [ENVIRONMENT <name=value>...])
#
# One CTest entry running the cases of a GoogleTest executable that match the
# filter (all for an empty one), with a results file and a sound capture of
# its own. ENVIRONMENT adds to the entry's environment, or replaces its
# capture; a WRAPPER script is run with the executable and its arguments,
# and runs it under Wine itself (tools/wine-exec.sh).
function(zw_add_gtest_entry entry executable filter)
  cmake_parse_arguments(E "OWN_DISPLAY" "WRAPPER" "ENVIRONMENT" ${ARGN})
  if(ZW_WINDOWS)
    # Wine resolves the unix path through the Z: drive.
    set(xml "xml:Z:${ZW_RESULTS_DIR}/${entry}.xml")
  else()
    set(xml "xml:${ZW_RESULTS_DIR}/${entry}.xml")
  endif()
  set(arguments --gtest_output=${xml})
  if(filter)
    list(APPEND arguments "--gtest_filter=${filter}")
  endif()
  if(E_WRAPPER)
    add_test(NAME ${entry} COMMAND ${E_WRAPPER} $<TARGET_FILE:${executable}> ${arguments})
  else()
    add_test(NAME ${entry} COMMAND ${executable} ${arguments})
  endif()
  set(environment ${E_ENVIRONMENT})
  if(NOT environment MATCHES "ZW_CAPTURE_WAV=")
    list(APPEND environment "ZW_CAPTURE_WAV=${CMAKE_BINARY_DIR}/captures/${entry}.wav")
  endif()
  set_tests_properties(${entry} PROPERTIES ENVIRONMENT "${environment}")
  if(ZW_WINDOWS AND E_OWN_DISPLAY)
    set_tests_properties(${entry} PROPERTIES RESOURCE_GROUPS displays:1)
  endif()
endfunction()
