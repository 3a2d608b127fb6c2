# One short fuzz session: the target reads the checked-in corpus and writes what it finds into a fresh
# scratch folder, so the corpus in the repository never changes. A crash, a sanitizer report or a leak
# fails the test and leaves the input beside the scratch folder as crash-*, leak-* or timeout-*.
foreach(var TARGET CORPUS SCRATCH RUNS MAX_SECONDS SUPPRESSIONS)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "run_fuzz.cmake needs -D${var}=...")
    endif()
endforeach()

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH}/new)

set(args -runs=${RUNS} -max_total_time=${MAX_SECONDS} -timeout=30 -max_len=4096 -print_final_stats=1 -artifact_prefix=${SCRATCH}/)
if(DEFINED SEED AND NOT SEED EQUAL 0)
    list(APPEND args -seed=${SEED})
endif()
if(DEFINED DICT AND EXISTS ${DICT})
    list(APPEND args -dict=${DICT})
endif()

set(ENV{ASAN_OPTIONS} "detect_leaks=1:abort_on_error=0")
set(ENV{LSAN_OPTIONS} "suppressions=${SUPPRESSIONS}:print_suppressions=0")
set(ENV{UBSAN_OPTIONS} "print_stacktrace=1:halt_on_error=1")

execute_process(COMMAND ${TARGET} ${args} ${SCRATCH}/new ${CORPUS} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    file(GLOB found ${SCRATCH}/crash-* ${SCRATCH}/leak-* ${SCRATCH}/timeout-* ${SCRATCH}/oom-*)
    message(FATAL_ERROR "fuzz run of ${TARGET} failed (${rc}); inputs: ${found}")
endif()
