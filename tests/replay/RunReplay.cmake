# Runs one replay script and compares its output and exit status with what is expected.
# -DTOOL=kelvandor-tool -DSCRIPT=x.replay -DEXPECTED=x.expected -DSTATUS=0
execute_process(
  COMMAND ${TOOL} replay ${SCRIPT}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
if(NOT status EQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\n${errors}")
endif()
file(READ ${EXPECTED} expected)
if(NOT output STREQUAL expected)
  file(WRITE ${OUTPUT_FILE} "${output}")
  message(FATAL_ERROR "output differs from ${EXPECTED}; actual output in ${OUTPUT_FILE}")
endif()
