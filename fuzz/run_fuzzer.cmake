# cmake -DFUZZER=<binary> -DSEEDS=<dir> -DWORK=<dir> -DSECONDS=<n> -P run_fuzzer.cmake
# Runs one fuzzer for a bounded time. New inputs go into a copy of the seeds under WORK, and a
# failing input is kept there for replay with "<binary> <input>".
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/failures")
file(COPY "${SEEDS}/" DESTINATION "${WORK}/corpus")
execute_process(
  COMMAND "${FUZZER}" -max_total_time=${SECONDS} -print_final_stats=1
          -artifact_prefix=${WORK}/failures/ "${WORK}/corpus"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(GLOB failures "${WORK}/failures/*")
  message(FATAL_ERROR "${FUZZER} failed (${result}); failing input: ${failures}")
endif()
