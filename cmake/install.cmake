# Installation: velc with its velc.ini on the PATH, and our wasmer runner.
# The run-time library installs itself under /velmorac/ (runtime/CMakeLists.txt).
# The Debian package (cmake/package.cmake) holds exactly what these rules
# install.

install(TARGETS velc velc_emreplay RUNTIME DESTINATION bin)
# The package's scripts precompile the prologue with it once libvel is in place.
install(TARGETS velc_prologue RUNTIME DESTINATION lib/velmora)
install(TARGETS velc_standby LIBRARY DESTINATION lib/velmora)

# The installed velc.ini names the same tools and paths as velc's built-in
# defaults, plus memory growth: without it an em++ module stops at 16 MB.
# The link leaves out the browser's JS libraries, which a module run by
# wasmer never uses (the module is the same, byte for byte), and compiles
# use the precompiled prologue and every processor. em++ and emcc are
# started through velc_emreplay (tools/emreplay/recipe.hpp). Where Debian's wrapper
# would take the first python3 on the PATH, the tools name the system's
# (runtime/CMakeLists.txt). The module keeps the names of its functions
# (they change no code), so that wasmer names the function a trap ran in,
# and its line tables, for the callers of a run-time error; the link is
# wasm-ld alone (runtime/CMakeLists.txt).
# -fwrapv makes the C++ compiler wrap int arithmetic as Velmora does and
# -fno-finite-loops keeps a loop that never ends from being removed,
# -fno-optimize-sibling-calls makes a recursion that never ends exhaust the
# stack rather than run on as a loop (runtime/CMakeLists.txt); the
# code options that libvel shares (its string templates compiled with the
# program, bulk memory) are explained in runtime/CMakeLists.txt.
set(VELMORA_INSTALLED_INI ${CMAKE_BINARY_DIR}/install/velc.ini)
cmake_host_system_information(RESULT VELMORA_PROCESSORS QUERY NUMBER_OF_LOGICAL_CORES)
file(WRITE ${VELMORA_INSTALLED_INI}.new
"# velc tool chain: Emscripten builds WebAssembly modules, run with wasmer.
id=emcc
compiler=${VEL_EMSCRIPTEN_PYTHON}${CMAKE_INSTALL_PREFIX}/bin/velc_emreplay em++
options=-c -std=c++17 -O2 -fwrapv -fno-finite-loops -fno-optimize-sibling-calls ${VEL_WASM_CODE_OPTIONS} ${VEL_WASM_LINE_TABLES} -I. -I/velmorac/
linker=${VEL_EMSCRIPTEN_PYTHON}${CMAKE_INSTALL_PREFIX}/bin/velc_emreplay emcc
loptions=-O1 ${VEL_WASM_LINK_CODE_OPTIONS} -I. -I/velmorac/ -sALLOW_MEMORY_GROWTH=1 ${VEL_LEAN_LINK} ${VEL_ONE_STEP_LINK} --profiling-funcs ${VEL_WASM_LINK_LINE_TABLES}
objects=/velmorac/velmora/velmora.a
extension=.o
pch=/velmorac/velmora/prologue.hpp.pch
jobs=${VELMORA_PROCESSORS}
lines=1
")
# Copying only on change keeps the install step from redoing work.
configure_file(${VELMORA_INSTALLED_INI}.new ${VELMORA_INSTALLED_INI} COPYONLY)
install(FILES ${VELMORA_INSTALLED_INI} DESTINATION bin)

# The precompiled prologue is made for the installed velc.ini once libvel's
# headers are in place (runtime/ installs them first). It names the absolute
# paths it was made from, so a staged install (DESTDIR) gets none: velc then
# compiles without it.
install(CODE "
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    execute_process(COMMAND \"$<TARGET_FILE:velc_prologue>\" \"\${CMAKE_INSTALL_PREFIX}/bin/velc.ini\"
                    RESULT_VARIABLE velmora_prologue_status)
    if(NOT velmora_prologue_status EQUAL 0)
      message(WARNING \"The prologue of generated files was not precompiled: velc compiles without it\")
    endif()
  else()
    message(STATUS \"Staged install: the prologue of generated files is not precompiled\")
  endif()")

# Our wasmer, a Node WASI runner: Debian has no wasmer package. Its module
# runner goes to lib/velmora/tools/, where the command looks for it, beside
# lib/velmora/web/ with the failure report it shares with the pages, as
# tools/ and web/ lie in the source tree.
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/wasmer DESTINATION bin)
install(FILES ${CMAKE_SOURCE_DIR}/tools/wasmer.mjs ${CMAKE_SOURCE_DIR}/tools/wasmer_imports.mjs
  ${CMAKE_SOURCE_DIR}/tools/compilation_hints.mjs DESTINATION lib/velmora/tools)
