# Formats one manual page as man does on a terminal and fails on any word from groff: a broken
# macro, or a line that cannot be broken (Japanese text without its line-breaking rules).
execute_process(COMMAND ${GROFF} -man -Tutf8 -k -ww -z ${PAGE}
                RESULT_VARIABLE failed ERROR_VARIABLE warnings)
if(failed OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "${PAGE}:\n${warnings}")
endif()
