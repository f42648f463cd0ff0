# The language server velc-lsp: its launcher beside velc, the server's
# scripts and the npm packages it runs on (vscode-languageserver), which
# setup.sh installs into build/lsp/, under lib/velc-lsp/.
set(VELC_LSP_MODULES ${CMAKE_BINARY_DIR}/lsp/node_modules)
set(VELC_LSP_SOURCES ${CMAKE_SOURCE_DIR}/editors/vscode/server)
install(PROGRAMS ${VELC_LSP_SOURCES}/velc-lsp DESTINATION bin)
install(FILES ${VELC_LSP_SOURCES}/server.js ${VELC_LSP_SOURCES}/index_view.js ${VELC_LSP_SOURCES}/language.js
              ${VELC_LSP_SOURCES}/program_of.js
        DESTINATION lib/velc-lsp)
install(CODE "
  if(NOT EXISTS \"${VELC_LSP_MODULES}/vscode-languageserver\")
    message(FATAL_ERROR \"velc-lsp needs its npm packages in ${VELC_LSP_MODULES} (setup.sh installs them)\")
  endif()")
install(DIRECTORY ${VELC_LSP_MODULES} DESTINATION lib/velc-lsp)

# The VS Code extension as an installable .vsix (build/velmora.vsix): the
# extension's directory with its npm packages, packed by @vscode/vsce. Not
# part of the default build: it needs the npm registry.
find_program(VELC_NPM npm)
find_program(VELC_NPX npx)
if(VELC_NPM AND VELC_NPX)
  set(VELC_EXTENSION_DIR ${CMAKE_BINARY_DIR}/vscode-extension)
  add_custom_target(velmora_vsix
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${VELC_EXTENSION_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/editors/vscode ${VELC_EXTENSION_DIR}
    COMMAND ${CMAKE_COMMAND} -E chdir ${VELC_EXTENSION_DIR} ${VELC_NPM} install --omit=dev --no-audit --no-fund
    COMMAND ${CMAKE_COMMAND} -E chdir ${VELC_EXTENSION_DIR}
            ${VELC_NPX} --yes @vscode/vsce@3.9.2 package --skip-license --out ${CMAKE_BINARY_DIR}/velmora.vsix
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Packing the VS Code extension into velmora.vsix")
endif()
