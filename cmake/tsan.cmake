# Script behind the tsan target: builds the unit tests, verrimo-cli and its tests with clang under
# the thread sanitizer in BINARY and runs them, then verrimo-cli extract on generated pages of 5 and
# 20 MB, the second time into a pipe that closes after 100 bytes. Fails when a run fails or the
# sanitizer reports anything, from any of the processes; the reports land in BINARY/tsan-report.*.
#   cmake -DSOURCE=<source dir> -DBINARY=<build dir> -DCXX=<clang++> -P tsan.cmake
foreach(name SOURCE BINARY CXX)
  if(NOT DEFINED ${name})
    message(FATAL_ERROR "tsan.cmake needs -D${name}=...")
  endif()
endforeach()

set(report_prefix ${BINARY}/tsan-report)
# Every process started from here, verrimo-cli run by the tests among them, writes its reports
# into a file of its own instead of onto an output that a test may swallow.
set(ENV{TSAN_OPTIONS} "log_path=${report_prefix} second_deadlock_stack=1")

# Fails with the reports when there are any.
function(check_reports)
  file(GLOB reports ${report_prefix}.*)
  if(reports)
    foreach(report IN LISTS reports)
      file(READ ${report} text)
      message(NOTICE "${report}:\n${text}")
    endforeach()
    list(LENGTH reports count)
    message(FATAL_ERROR "the thread sanitizer reported in ${count} process(es)")
  endif()
endfunction()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    check_reports()
    message(FATAL_ERROR "failed (${status}): ${ARGN}")
  endif()
endfunction()

cmake_host_system_information(RESULT jobs QUERY NUMBER_OF_LOGICAL_CORES)
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -DCMAKE_CXX_COMPILER=${CXX}
          -DVERRIMO_GUI=OFF -DVERRIMO_TSAN=ON -DVERRIMO_BENCH=ON
  RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring the thread-sanitizer build in ${BINARY} failed")
endif()
file(GLOB old_reports ${report_prefix}.*)
if(old_reports)
  file(REMOVE ${old_reports})
endif()
run(${CMAKE_COMMAND} --build ${BINARY} -j ${jobs}
    --target core_tests cli_tests verrimo-cli write_generated_page)
run(${BINARY}/tests/core_tests --gtest_brief=1)
run(${BINARY}/tests/cli/cli_tests --gtest_brief=1)

# From 4 MB up the normaliser works in two halves at once; the scanner always hands its pieces
# over to the writer's thread.
set(cli ${BINARY}/src/cli/verrimo-cli)
foreach(mb 5 20)
  set(page ${BINARY}/page-${mb}mb.html)
  if(NOT EXISTS ${page})
    run(${BINARY}/bench/write_generated_page ${mb} ${page})
  endif()
  message("verrimo-cli extract on a ${mb} MB page")
  run(${cli} extract ${page} OUTPUT_QUIET)
endforeach()
# The writer stops while the scanner is still cutting.
message("verrimo-cli extract on a 20 MB page into a pipe closed after 100 bytes")
execute_process(COMMAND ${cli} extract ${page} COMMAND head -c 100
                RESULTS_VARIABLE statuses OUTPUT_QUIET)
if(NOT statuses STREQUAL "0;0")
  check_reports()
  message(FATAL_ERROR "verrimo-cli extract into a closed pipe failed: ${statuses}")
endif()
check_reports()
message("The thread sanitizer reported nothing")
