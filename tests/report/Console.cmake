# Runs the Windows console program under Wine on the sample files into a fresh
# OUT folder: it must say so, end with exit code 0 and leave the report there.
#   cmake -DWINE=<runner> -DZWREPORT=<exe> -DIN=<folder> -DOUT=<folder> -P Console.cmake
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${WINE} ${ZWREPORT} --out Z:${OUT} Z:${IN}
                RESULT_VARIABLE code OUTPUT_VARIABLE said ERROR_VARIABLE said)
message("${said}")
if(NOT code STREQUAL "0")
  message(FATAL_ERROR "zwreport ended with ${code}, not 0")
endif()
if(NOT said MATCHES "3 files in [0-9:.]+: 0 unreadable, 0 fail, 1 warn, 2 ok\r?\nzwreport: report in ")
  message(FATAL_ERROR "zwreport did not say that it wrote a report of 3 files, one with identical channels")
endif()
if(NOT EXISTS ${OUT}/index.html)
  message(FATAL_ERROR "no ${OUT}/index.html")
endif()
