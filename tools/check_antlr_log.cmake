# ANTLR 2 prints its grammar warnings and errors but may still exit 0:
# errors stop the build, warnings are shown.
file(READ ${LOG} text)
if(text MATCHES "error:")
  message(FATAL_ERROR "ANTLR reported errors:\n${text}")
elseif(text MATCHES "warning:")
  message(WARNING "ANTLR warnings:\n${text}")
endif()
