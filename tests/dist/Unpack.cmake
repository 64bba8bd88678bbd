# Unpacks ARCHIVE into a fresh FOLDER, whose top level must hold EXPECTED.
file(REMOVE_RECURSE ${FOLDER})
file(ARCHIVE_EXTRACT INPUT ${ARCHIVE} DESTINATION ${FOLDER})
file(GLOB found RELATIVE ${FOLDER} ${FOLDER}/*)
list(SORT found)
if(NOT found STREQUAL EXPECTED)
  message(FATAL_ERROR "${ARCHIVE} holds '${found}' at its top, not '${EXPECTED}'")
endif()
