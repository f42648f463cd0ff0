# Builds one program of sanitized/ with velc and g++ under the address and
# undefined-behaviour sanitizers, runs it and compares what it prints with
# its .out: an object freed while the program can still reach it, or freed
# twice, fails the run instead of passing by luck.
#   -DVELC=... -DNATIVE_INI=... -DSOURCE=dir/name.vel -DSCRATCH=dir
get_filename_component(name ${SOURCE} NAME_WE)
get_filename_component(dir ${SOURCE} DIRECTORY)
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
file(COPY ${VELC} ${SOURCE} DESTINATION ${SCRATCH})
# The native settings with the sanitizers; the precompiled prologue was
# built without them and is left out.
set(sanitizers "-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer")
file(STRINGS ${NATIVE_INI} lines)
set(ini "")
foreach(line IN LISTS lines)
  if(line MATCHES "^options=")
    string(REPLACE "options=" "options=${sanitizers} " line "${line}")
  elseif(line MATCHES "^loptions=")
    string(REPLACE "loptions=" "loptions=${sanitizers} " line "${line}")
  elseif(line MATCHES "^pch=")
    continue()
  endif()
  string(APPEND ini "${line}\n")
endforeach()
file(WRITE ${SCRATCH}/velc.ini "${ini}")
execute_process(COMMAND ${SCRATCH}/velc -q ${name}.vel WORKING_DIRECTORY ${SCRATCH}
  RESULT_VARIABLE ran OUTPUT_VARIABLE printed ERROR_VARIABLE complained)
string(REGEX REPLACE "^objlist=[^\n]*\n" "" printed "${printed}")
file(READ ${dir}/${name}.out expected)
if(NOT ran EQUAL 0 OR NOT complained STREQUAL "" OR NOT printed STREQUAL expected)
  message(FATAL_ERROR "${name} ended with ${ran}\n--- printed\n${printed}\n--- expected\n${expected}\n--- stderr\n${complained}")
endif()
