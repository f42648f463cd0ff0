#!/bin/sh
# ./setup.sh       makes a Debian machine ready to use velc: installs the
#                  missing packages the build needs, builds velc and libvel
#                  (no tests), packs them as a Debian package and installs it
#                  with the package manager, then checks em++, emcc and
#                  wasmer for the calling user.
# ./setup.sh test  does the same, then installs the tools of the tests,
#                  builds the tests and runs them.
# Running either again only rebuilds what changed.
set -eu

cd "$(dirname "$0")"

BUILD_DIR=build
BUILD_TYPE=RelWithDebInfo
JOBS=2

# What the build of velc and libvel needs: build tools, the ANTLR 2
# generator and C++ run-time, Emscripten (which runs on python3 and node)
# for the WebAssembly libvel, Node for our wasmer and the language server,
# npm for the server's packages, and the JSON library of velc's editor index.
BUILD_PACKAGES="cmake g++ make antlr libantlr-dev emscripten python3 nodejs npm nlohmann-json3-dev"

# The language server velc-lsp runs on these; they are packed with it.
LSP_NPM_PACKAGES="vscode-languageserver@9.0.1 vscode-languageserver-textdocument@1.0.12"

# What velc's pages and playground run in a browser, bundled by the build
# (web/CMakeLists.txt) into the scripts the package holds: the WASI layer,
# the editor, and the bundler.
WEB_NPM_PACKAGES="@bjorn3/browser_wasi_shim@0.4.2 codemirror@6.0.2 @codemirror/language@6.11.3 @codemirror/lint@6.9.2 @codemirror/state@6.5.2 @codemirror/view@6.38.6 esbuild@0.25.12"

# What only the tests need: GoogleTest, npm for the packages below,
# Chromium for the browser tests, and ccache and distcc for the tests of
# velc.ini's compiler launcher.
# Add a Debian package a test needs here, not to BUILD_PACKAGES.
TEST_PACKAGES="libgtest-dev googletest npm chromium ccache distcc"

# npm packages of the tests, each "directory under build/|package@version...":
# the tests run every module a second time on an independent, pure
# JavaScript WASI implementation, the editor grammar's test runs VS
# Code's TextMate engine, the language server's test drives velc-lsp
# with the LSP client libraries of the server's protocol version, the
# browser tests drive Debian's Chromium with puppeteer-core (which downloads
# no browser of its own), and the .vsix test packs the VS Code extension
# with vsce and the packages of editors/vscode/package.json (the test checks
# that their versions are the ones it names).
TEST_NPM_PACKAGES="
second-runtime|@bjorn3/browser_wasi_shim@0.4.2
textmate|vscode-textmate@9.4.0 vscode-oniguruma@2.0.1
lsp-test|vscode-jsonrpc@8.2.0 vscode-languageserver-protocol@3.17.5
browser-test|puppeteer-core@24.10.0
vsce|@vscode/vsce@3.9.2
vscode-extension-modules|vscode-languageclient@9.0.1 vscode-languageserver@9.0.1 vscode-languageserver-textdocument@1.0.12
"

say() {
    printf 'setup: %s\n' "$*"
}

# Package installation needs root; the build and the checks run as the
# calling user so that build/ stays theirs.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        say "need root for: $*; run as root or install sudo" >&2
        exit 1
    fi
}

is_installed() {
    # Some Node.js builds (NodeSource's among them) bring their own npm and
    # conflict with Debian's package of it: a working npm counts as present.
    if [ "$1" = npm ] && command -v npm >/dev/null 2>&1; then
        return 0
    fi
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Installs those of the packages named that are missing; the package lists
# are refreshed only when something is.
install_missing_packages() {
    missing=""
    for package in "$@"; do
        is_installed "$package" || missing="$missing $package"
    done
    if [ -z "$missing" ]; then
        say "packages present: $*"
        return
    fi
    say "installing:$missing"
    as_root apt-get update
    # shellcheck disable=SC2086 # the list is meant to split into words
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
}

# The first configuration leaves the tests out; the test part turns them on
# and a later plain setup keeps what the build directory has.
configure() {
    testing=""
    if [ "$#" -gt 0 ]; then
        testing="-DBUILD_TESTING=$1"
    elif [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
        testing="-DBUILD_TESTING=OFF"
    fi
    say "configuring $BUILD_DIR/ ($BUILD_TYPE)"
    # shellcheck disable=SC2086 # empty when the setting is kept
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="$BUILD_TYPE" -DCMAKE_INSTALL_PREFIX=/usr $testing
}

# velc, libvel (WebAssembly and native) and what else the package holds
# (the target package_contents, cmake/package.cmake), then the package.
build_package() {
    say "building velc and libvel"
    cmake --build "$BUILD_DIR" -j "$JOBS" --target package_contents
    say "packing velc"
    (cd "$BUILD_DIR" && cpack -G DEB)
}

# The package this build made: the newest velc_*.deb of the build directory.
package_file() {
    # shellcheck disable=SC2012 # our own file names, without blanks
    ls -t "$BUILD_DIR"/velc_*.deb 2>/dev/null | head -n 1
}

# Earlier versions of this script copied velc, velc.ini, velc_emreplay and
# wasmer to /usr/local without a package; they would hide the package's.
# (SETUP_LEGACY_PREFIX: another place, for the tests of this script.)
remove_unpackaged_install() {
    old=${SETUP_LEGACY_PREFIX:-/usr/local}
    for file in "$old/bin/velc" "$old/bin/velc.ini" "$old/bin/velc_emreplay" "$old/lib/velmora/wasmer.mjs"; do
        if [ -e "$file" ] && ! dpkg-query -S "$file" >/dev/null 2>&1; then
            say "removing $file of an install without package"
            as_root rm -f "$file"
        fi
    done
    if [ -f "$old/bin/wasmer" ] && grep -q velmora-wasmer "$old/bin/wasmer"; then
        say "removing $old/bin/wasmer of an install without package"
        as_root rm -f "$old/bin/wasmer"
    fi
}

# Reinstalled every time: a rebuilt package keeps its version number.
install_package() {
    package=$(package_file)
    if [ -z "$package" ]; then
        say "no package was made in $BUILD_DIR/" >&2
        exit 1
    fi
    remove_unpackaged_install
    say "installing $package"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --reinstall --no-install-recommends "./$package"
}

# Debian's emscripten ships its libraries prebuilt in a frozen cache under
# /usr/share/emscripten/cache, so em++ needs no writable cache; a tiny build
# and run here proves that, and the whole chain, for the calling user.
check_toolchain() {
    say "checking em++, emcc and wasmer"
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    printf '#include <cstdio>\nint main() { std::puts("toolchain ok"); return 0; }\n' >"$scratch/check.cpp"
    (
        cd "$scratch"
        em++ -c check.cpp -o check.o
        emcc -sALLOW_MEMORY_GROWTH=1 -o check.wasm check.o
        output=$(wasmer check.wasm)
        [ "$output" = "toolchain ok" ] || {
            say "wasmer printed '$output' instead of 'toolchain ok'" >&2
            exit 1
        }
    )
    rm -rf "$scratch"
    trap - EXIT
}

# Each npm package list ("directory under build/|packages", one a line) into
# its directory, only when missing.
install_npm_packages() {
    echo "$1" | while IFS='|' read -r directory packages; do
        [ -n "$directory" ] || continue
        if [ -f "$BUILD_DIR/$directory/.installed" ] &&
            [ "$(cat "$BUILD_DIR/$directory/.installed")" = "$packages" ]; then
            say "$directory present"
            continue
        fi
        say "installing $packages into $BUILD_DIR/$directory/"
        mkdir -p "$BUILD_DIR/$directory"
        # shellcheck disable=SC2086 # the list is meant to split into words
        npm install --no-save --no-audit --no-fund --prefix "$BUILD_DIR/$directory" $packages
        echo "$packages" >"$BUILD_DIR/$directory/.installed"
    done
}

run_tests() {
    configure ON
    say "building the tests"
    cmake --build "$BUILD_DIR" -j "$JOBS"
    say "running the tests"
    # The tests keep to folders of their own, so they run side by side.
    ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$JOBS"
}

main_part() {
    # shellcheck disable=SC2086 # the list is meant to split into words
    install_missing_packages $BUILD_PACKAGES
    # Before the configuration, which bundles them where they are installed.
    install_npm_packages "web|$WEB_NPM_PACKAGES"
    configure
    install_npm_packages "lsp|$LSP_NPM_PACKAGES"
    build_package
    install_package
    check_toolchain
    say "done: velc is $(command -v velc)"
}

test_part() {
    # shellcheck disable=SC2086 # the list is meant to split into words
    install_missing_packages $TEST_PACKAGES
    install_npm_packages "$TEST_NPM_PACKAGES"
    run_tests
}

case "${1:-}" in
"") main_part ;;
test)
    main_part
    test_part
    ;;
*)
    echo "usage: ./setup.sh [test]" >&2
    exit 2
    ;;
esac
