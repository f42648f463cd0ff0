# The Debian package velc_<version>_<arch>.deb: what the install rules
# install (velc, velc.ini, velc_emreplay, libvel for WebAssembly and natively,
# wasmer), so that the package manager lists, upgrades and removes every
# file. setup.sh builds the target package_contents, runs cpack and installs
# the package with apt-get.

# What the package holds; a program added to the install rules is added here.
add_custom_target(package_contents)
add_dependencies(package_contents velc velc_emreplay velc_standby velc_prologue velmora_native velmora_header)
if(TARGET velmora_wasm)
  add_dependencies(package_contents velmora_wasm)
endif()
# The page target's and the playground's files (web/), bundled where the
# npm packages of web/ are installed.
add_dependencies(package_contents web_static)
if(TARGET web_bundles)
  add_dependencies(package_contents web_bundles)
endif()

# cpack installs what is built and builds nothing: setup.sh builds
# package_contents first, so a package never waits for the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR DEB)
# The programs without their debugging information.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME velc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Velmora compiler: translates .vel programs to C++ and WebAssembly")
set(CPACK_PACKAGE_DESCRIPTION "velc translates Velmora programs into C++ written against the
run-time library libvel, builds them with Emscripten into WebAssembly modules
and runs them with wasmer, a Node.js WASI runner. The package holds velc,
its velc.ini, libvel for WebAssembly and natively, the runner, and the
language server velc-lsp for editors, and the scripts of the page target and
the playground (velc --html, --playground).")
# libvel stays under /velmorac/ (and /velmorac-native/), where velc.ini and
# the generated programs look for it: the install rules name absolute
# directories, which only a staged install (DESTDIR) packs.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# velc needs only the C and C++ libraries itself (ANTLR is linked in); it
# starts em++ and emcc (python3), and wasmer runs on Node. g++ builds with
# the native libvel and gdb steps through them (README.md).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, emscripten, python3, nodejs")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "g++")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gdb")
# The precompiled prologue names the absolute paths it is made from, so it is
# made where the package is installed (postinst) and removed with it (postrm).
foreach(script postinst postrm)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/package/${script}.in ${CMAKE_BINARY_DIR}/package/${script} @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/package/postinst ${CMAKE_BINARY_DIR}/package/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
