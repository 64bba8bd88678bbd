# Unpacks ARCHIVE into a fresh FOLDER and checks that its top level holds
# exactly the EXPECTED files and folders.
if(NOT EXISTS ${ARCHIVE})
  message(FATAL_ERROR "${ARCHIVE} is missing; tools/dist.py builds it")
endif()
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER})
file(ARCHIVE_EXTRACT INPUT ${ARCHIVE} DESTINATION ${FOLDER})
file(GLOB found RELATIVE ${FOLDER} ${FOLDER}/*)
list(SORT found)
list(SORT EXPECTED)
if(NOT found STREQUAL EXPECTED)
  message(FATAL_ERROR "${ARCHIVE} holds '${found}' at its top, not '${EXPECTED}'")
endif()
