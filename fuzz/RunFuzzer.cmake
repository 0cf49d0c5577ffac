# One bounded fuzz run for ctest: FUZZER from a fresh copy of CORPUS in
# SCRATCH for SECONDS. Inputs that crash land in SCRATCH/crashes.
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH}/corpus ${SCRATCH}/crashes)
file(GLOB seeds ${CORPUS}/*)
if(seeds)
  file(COPY ${seeds} DESTINATION ${SCRATCH}/corpus)
endif()
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048 -max_len=8192
          -print_final_stats=1 -artifact_prefix=${SCRATCH}/crashes/ ${SCRATCH}/corpus
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); the input is in ${SCRATCH}/crashes")
endif()
