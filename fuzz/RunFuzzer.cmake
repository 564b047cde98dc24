# Runs one libFuzzer target for a fixed time on a fresh copy of its seed
# corpus, so that the corpus in the source tree never changes, and fails when
# the fuzzer reports anything.
#
#   cmake -DFUZZER=<exe> -DCORPUS=<seed dir> -DWORK=<scratch dir> -DSECONDS=30 -P RunFuzzer.cmake
foreach(var FUZZER CORPUS WORK SECONDS)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "RunFuzzer.cmake needs -D${var}=...")
    endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(COPY ${CORPUS}/ DESTINATION ${WORK}/corpus)

execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=20 -rss_limit_mb=2048
            -print_final_stats=1 -artifact_prefix=${WORK}/artifacts/
            ${WORK}/corpus
    WORKING_DIRECTORY ${WORK}
    RESULT_VARIABLE result
)
if(NOT result EQUAL 0)
    file(GLOB crashes ${WORK}/artifacts/*)
    message(FATAL_ERROR "${FUZZER} failed (${result}); reproducers: ${crashes}")
endif()
