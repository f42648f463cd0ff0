# Runs at install time: puts our wasmer (a Node WASI runner) into bin/ and its
# module runner into lib/velmora/, unless a different wasmer is already on
# the PATH. An earlier install of ours is recognised by its marker line and
# replaced, so installing again updates it.

set(marker "velmora-wasmer")
execute_process(COMMAND sh -c "command -v wasmer"
  OUTPUT_VARIABLE existing OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE lookup ERROR_QUIET)

set(install_ours TRUE)
if(lookup EQUAL 0 AND EXISTS "${existing}")
  file(STRINGS "${existing}" marker_lines REGEX "${marker}" LIMIT_INPUT 4096)
  if(NOT marker_lines)
    set(install_ours FALSE)
  endif()
endif()

if(install_ours)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/bin" TYPE PROGRAM
       FILES "${VELMORA_TOOLS_DIR}/wasmer")
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/velmora" TYPE FILE
       FILES "${VELMORA_TOOLS_DIR}/wasmer.mjs")
else()
  message(STATUS "Keeping the wasmer found at ${existing}")
endif()
