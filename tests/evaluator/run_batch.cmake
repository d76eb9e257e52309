# Runs vexa-batch on INPUT and compares its output with EXPECTED byte for byte.
execute_process(COMMAND ${BATCH}
    INPUT_FILE ${INPUT}
    OUTPUT_VARIABLE actual
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "vexa-batch exited with ${status}")
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "vexa-batch output differs.\n--- expected\n${expected}--- actual\n${actual}")
endif()
