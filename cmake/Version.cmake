# The one version of the program and the plug-in, read from VERSION at the
# top of the repository. The code, the resource scripts and the release
# archives all take it from there; Version.h carries it into the code.
file(STRINGS ${CMAKE_SOURCE_DIR}/VERSION ZW_VERSION LIMIT_COUNT 1)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/VERSION)
# Hosts get the version as one number, 1.2.3 as 1203, so the minor part has
# one digit and the patch part two.
if(NOT ZW_VERSION MATCHES "^([0-9]+)\\.([0-9])\\.([0-9][0-9]?)$")
  message(FATAL_ERROR "VERSION holds '${ZW_VERSION}'; it must be major.minor.patch, "
                      "the minor part one digit and the patch part at most two")
endif()
set(ZW_VERSION_MAJOR ${CMAKE_MATCH_1})
set(ZW_VERSION_MINOR ${CMAKE_MATCH_2})
set(ZW_VERSION_PATCH ${CMAKE_MATCH_3})
math(EXPR ZW_VENDOR_VERSION "${ZW_VERSION_MAJOR} * 1000 + ${ZW_VERSION_MINOR} * 100 + ${ZW_VERSION_PATCH}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${CMAKE_BINARY_DIR}/generated/Version.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
