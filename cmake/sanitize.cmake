# Script behind the sanitize target: builds the unit tests and the fuzzers with clang under the
# address and undefined-behaviour sanitizers in BINARY, runs the tests, then fuzzes for
# FUZZ_SECONDS in all (two thirds the extraction, a third the HAR reader); a crashing input lands
# in BINARY/crash-*.
#   cmake -DSOURCE=<source dir> -DBINARY=<build dir> -DCXX=<clang++> -DFUZZ_SECONDS=<s> -P sanitize.cmake
foreach(name SOURCE BINARY CXX FUZZ_SECONDS)
  if(NOT DEFINED ${name})
    message(FATAL_ERROR "sanitize.cmake needs -D${name}=...")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}")
  endif()
endfunction()

cmake_host_system_information(RESULT jobs QUERY NUMBER_OF_LOGICAL_CORES)
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -DCMAKE_CXX_COMPILER=${CXX}
          -DVERRIMO_GUI=OFF -DVERRIMO_SANITIZE=ON -DVERRIMO_FUZZ=ON -DVERRIMO_BENCH=OFF
  RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring the sanitizer build in ${BINARY} failed")
endif()
run(${CMAKE_COMMAND} --build ${BINARY} -j ${jobs} --target core_tests extract_fuzz har_fuzz)
run(${BINARY}/tests/core_tests --gtest_brief=1)

# Runs one fuzzer for a number of seconds on its own growing corpus and the seeds given.
function(fuzz target what seconds)
  file(MAKE_DIRECTORY ${BINARY}/${target}-corpus)
  message("Fuzzing ${what} for ${seconds} s")
  set(log ${BINARY}/${target}.log)
  execute_process(
    COMMAND ${BINARY}/fuzz/${target} -max_total_time=${seconds} -max_len=65536
            -artifact_prefix=${BINARY}/ ${BINARY}/${target}-corpus ${ARGN}
    RESULT_VARIABLE status OUTPUT_FILE ${log} ERROR_FILE ${log})
  if(NOT status EQUAL 0)
    # The end of the log: the crash report and the input that caused it.
    file(READ ${log} text)
    string(LENGTH "${text}" length)
    set(from 0)
    if(length GREATER 4000)
      math(EXPR from "${length} - 4000")
    endif()
    string(SUBSTRING "${text}" ${from} -1 tail)
    message(NOTICE "${tail}")
    message(FATAL_ERROR "the fuzzer failed; its log is ${log}")
  endif()
  file(STRINGS ${log} done REGEX "^Done")
  message("${done}")
endfunction()

math(EXPR har_seconds "${FUZZ_SECONDS} / 3")
if(har_seconds LESS 1)
  set(har_seconds 1)
endif()
math(EXPR extract_seconds "${FUZZ_SECONDS} - ${har_seconds}")
if(extract_seconds LESS 1)
  set(extract_seconds 1)
endif()
fuzz(extract_fuzz "the extraction" ${extract_seconds} ${SOURCE}/fuzz/corpus)
fuzz(har_fuzz "the HAR reader" ${har_seconds} ${SOURCE}/tests/data/har)
