# The language server velc-lsp: its launcher beside velc, the server's
# scripts and the npm packages it runs on (vscode-languageserver), which
# setup.sh installs into build/lsp/, under lib/velc-lsp/.
set(VELC_LSP_MODULES ${CMAKE_BINARY_DIR}/lsp/node_modules)
set(VELC_LSP_SOURCES ${CMAKE_SOURCE_DIR}/editors/vscode/server)
install(PROGRAMS ${VELC_LSP_SOURCES}/velc-lsp DESTINATION bin)
# Every script of the server's folder: a new one cannot be left behind.
file(GLOB VELC_LSP_SCRIPTS CONFIGURE_DEPENDS ${VELC_LSP_SOURCES}/*.js)
install(FILES ${VELC_LSP_SCRIPTS} DESTINATION lib/velc-lsp)
install(CODE "
  if(NOT EXISTS \"${VELC_LSP_MODULES}/vscode-languageserver\")
    message(FATAL_ERROR \"velc-lsp needs its npm packages in ${VELC_LSP_MODULES} (setup.sh installs them)\")
  endif()")
install(DIRECTORY ${VELC_LSP_MODULES} DESTINATION lib/velc-lsp)

# The VS Code extension as an installable .vsix (build/velmora.vsix): the
# extension's directory with its npm packages, packed by @vscode/vsce. Not
# part of the default build: without the packages setup.sh's test part
# installs (build/vscode-extension-modules/, build/vsce/) it needs the npm
# registry.
set(VELC_VSIX_MODULES ${CMAKE_BINARY_DIR}/vscode-extension-modules/node_modules)
set(VELC_VSCE ${CMAKE_BINARY_DIR}/vsce/node_modules/.bin/vsce)
add_custom_target(velmora_vsix
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR}/editors/vscode -DWORK=${CMAKE_BINARY_DIR}/vscode-extension
          -DOUTPUT=${CMAKE_BINARY_DIR}/velmora.vsix -DMODULES=${VELC_VSIX_MODULES} -DVSCE=${VELC_VSCE}
          -P ${CMAKE_SOURCE_DIR}/cmake/pack_vsix.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packing the VS Code extension into velmora.vsix")
