# SPDX-License-Identifier: MIT
# Runs one README program: it must succeed and, when the README shows its
# output (a non-empty EXPECTED file), print exactly that.
execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE result OUTPUT_VARIABLE output
  ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} failed (${result}):\n${output}${errors}")
endif()
file(READ ${EXPECTED} expected)
if(NOT expected STREQUAL "" AND NOT output STREQUAL expected)
  message(FATAL_ERROR "${PROGRAM} printed\n${output}\ninstead of\n${expected}")
endif()
