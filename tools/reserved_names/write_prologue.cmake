# Writes OUT, a C++ file holding exactly the #include lines that the
# translator writes at the top of every implementation file, as they are
# spelled in FRAME (translator/frame.cpp).
#   cmake -DFRAME=<frame.cpp> -DOUT=<prologue.cpp> -P write_prologue.cmake
file(READ ${FRAME} frame)
string(REGEX MATCHALL "\"#include <[^>\"]+>\\\\n\"" lines "${frame}")
if(NOT lines)
  message(FATAL_ERROR "no #include <...> lines of the prologue found in ${FRAME}")
endif()
set(prologue "")
foreach(line ${lines})
  string(REGEX REPLACE "^\"(#include <[^>]+>)\\\\n\"$" "\\1" include "${line}")
  string(APPEND prologue "${include}\n")
endforeach()
file(WRITE ${OUT} "${prologue}")
