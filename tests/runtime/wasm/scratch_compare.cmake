# Runs the native and the WebAssembly build of a program that works on files,
# each in a fresh empty directory under SCRATCH, and fails unless both end
# with status 0, print EXPECTED, and leave their directory as empty as they
# found it. The directories are removed afterwards, whatever happened.
foreach(var NATIVE WASM LAUNCHER EXPECTED SCRATCH)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "scratch_compare.cmake needs -D${var}=...")
  endif()
endforeach()

set(failures "")
file(READ ${EXPECTED} expected_out)
foreach(build native wasm)
  set(directory ${SCRATCH}/${build})
  file(REMOVE_RECURSE ${directory})
  file(MAKE_DIRECTORY ${directory})
  if(build STREQUAL "native")
    set(command ${NATIVE})
  else()
    set(command ${LAUNCHER} ${WASM})
  endif()
  execute_process(COMMAND ${command}
    WORKING_DIRECTORY ${directory}
    INPUT_FILE /dev/null
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  file(GLOB_RECURSE left LIST_DIRECTORIES true RELATIVE ${directory} ${directory}/*)
  file(REMOVE_RECURSE ${directory})
  if(NOT status EQUAL 0)
    string(APPEND failures "${build} program ended with ${status}: ${err}\n")
  endif()
  if(left)
    string(APPEND failures "${build} program left behind: ${left}\n")
  endif()
  if(NOT out STREQUAL expected_out)
    string(APPEND failures "${build} output differs from ${EXPECTED}\n--- got\n${out}\n--- expected\n${expected_out}\n")
  endif()
endforeach()
file(REMOVE_RECURSE ${SCRATCH})
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
message(STATUS "native and wasm outputs agree, nothing left behind")
