# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a libFuzzer program for a few seconds on a scratch copy of its seed corpus.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${CORPUS}/ DESTINATION ${WORK})
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
    -artifact_prefix=${WORK}/ ${WORK} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "fuzzer ${FUZZER} failed (${result}); see crash files in ${WORK}")
endif()
