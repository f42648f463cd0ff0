# Installation: velc with its velc.ini on the PATH, and our wasmer runner
# when the machine has no wasmer of its own. The run-time library installs
# itself under /velmorac/ (runtime/CMakeLists.txt).

install(TARGETS velc RUNTIME DESTINATION bin)

# The installed velc.ini names the same tools and paths as velc's built-in
# defaults, plus memory growth: without it an em++ module stops at 16 MB.
set(VELMORA_INSTALLED_INI ${CMAKE_BINARY_DIR}/install/velc.ini)
file(WRITE ${VELMORA_INSTALLED_INI}.new
"# velc tool chain: Emscripten builds WebAssembly modules, run with wasmer.
id=emcc
compiler=em++
options=-c -O2 -I. -I/velmorac/
linker=emcc
loptions=-O1 -I. -I/velmorac/ -sALLOW_MEMORY_GROWTH=1 
objects=/velmorac/velmora/velmora.a
extension=.o
")
# Copying only on change keeps the install step from redoing work.
configure_file(${VELMORA_INSTALLED_INI}.new ${VELMORA_INSTALLED_INI} COPYONLY)
install(FILES ${VELMORA_INSTALLED_INI} DESTINATION bin)

install(CODE "set(VELMORA_TOOLS_DIR \"${CMAKE_SOURCE_DIR}/tools\")")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/install_wasmer.cmake)
