# The language server velc-lsp: its launcher beside velc, the server's
# scripts and the npm packages it runs on (vscode-languageserver), which
# setup.sh installs into build/lsp/, under lib/velc-lsp/.
set(VELC_LSP_MODULES ${CMAKE_BINARY_DIR}/lsp/node_modules)
set(VELC_LSP_SOURCES ${CMAKE_SOURCE_DIR}/editors/vscode/server)
install(PROGRAMS ${VELC_LSP_SOURCES}/velc-lsp DESTINATION bin)
install(FILES ${VELC_LSP_SOURCES}/server.js ${VELC_LSP_SOURCES}/index_view.js ${VELC_LSP_SOURCES}/language.js
        DESTINATION lib/velc-lsp)
install(CODE "
  if(NOT EXISTS \"${VELC_LSP_MODULES}/vscode-languageserver\")
    message(FATAL_ERROR \"velc-lsp needs its npm packages in ${VELC_LSP_MODULES} (setup.sh installs them)\")
  endif()")
install(DIRECTORY ${VELC_LSP_MODULES} DESTINATION lib/velc-lsp)
