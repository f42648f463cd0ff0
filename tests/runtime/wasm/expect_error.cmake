# Runs the native and the WebAssembly build of one program with the argument
# CASE and fails unless both end with status 1, write exactly
# "Run-time error: MESSAGE" and a line end on stderr, and have written the
# program's "start CASE" line on stdout before, and nothing after the error.
# The module runs under the command LAUNCHER (such as tools/wasmer).
foreach(var NATIVE WASM LAUNCHER CASE MESSAGE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "expect_error.cmake needs -D${var}=...")
  endif()
endforeach()
set(expected_err "Run-time error: ${MESSAGE}\n")
foreach(build native wasm)
  if(build STREQUAL "native")
    set(command ${NATIVE} ${CASE})
  else()
    set(command ${LAUNCHER} ${WASM} ${CASE})
  endif()
  execute_process(COMMAND ${command} INPUT_FILE /dev/null
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 1)
    message(FATAL_ERROR "${build} program ended with ${status}, not 1\n--- stdout\n${out}\n--- stderr\n${err}")
  endif()
  if(NOT err STREQUAL expected_err)
    message(FATAL_ERROR "${build} program wrote on stderr\n${err}\ninstead of\n${expected_err}")
  endif()
  string(FIND "${out}" "start ${CASE}\n" start_at)
  string(FIND "${out}" "not stopped" after_at)
  if(NOT start_at EQUAL 0 OR NOT after_at EQUAL -1)
    message(FATAL_ERROR "${build} program wrote on stdout\n${out}")
  endif()
endforeach()
message(STATUS "${CASE}: both builds end with \"${MESSAGE}\"")
