#!/bin/sh
# Makes a fresh Debian machine ready to build and use velc: installs the
# missing Debian packages, builds into build/, installs velc (with its
# velc.ini), libvel under /velmorac/ and, when the machine has none, our
# wasmer, then checks that em++ and wasmer work for the calling user.
# Running it again only rebuilds what changed.
set -eu

cd "$(dirname "$0")"

BUILD_DIR=build
BUILD_TYPE=RelWithDebInfo
JOBS=2

# Build tools, the ANTLR 2 generator and C++ run-time, Emscripten (which
# runs on python3 and node), Node for our wasmer, npm for the second WASI
# runtime of the tests and the TextMate engine of the editor grammar's test,
# GoogleTest, and the JSON library of velc's editor index.
PACKAGES="cmake g++ make antlr libantlr-dev emscripten python3 nodejs npm libgtest-dev googletest nlohmann-json3-dev"

# The language server velc-lsp runs on these (installed with velc); the
# tests drive it with the client libraries of the same protocol version.
LSP_PACKAGES="vscode-languageserver@9.0.1 vscode-languageserver-textdocument@1.0.12"
LSP_TEST_PACKAGES="vscode-jsonrpc@8.2.0 vscode-languageserver-protocol@3.17.5"

# The tests run every module a second time on this independent, pure
# JavaScript WASI implementation; it goes into the build tree.
SECOND_RUNTIME_PACKAGE="@bjorn3/browser_wasi_shim@0.4.2"

say() {
    printf 'setup: %s\n' "$*"
}

# Package installation and the install step need root; the build and the
# checks run as the calling user so that build/ stays theirs.
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

install_missing_packages() {
    missing=""
    for package in $PACKAGES; do
        is_installed "$package" || missing="$missing $package"
    done
    if [ -z "$missing" ]; then
        say "all packages present"
        return
    fi
    say "installing:$missing"
    as_root apt-get update
    # shellcheck disable=SC2086 # the list is meant to split into words
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
}

build() {
    say "building into $BUILD_DIR/ ($BUILD_TYPE)"
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="$BUILD_TYPE"
    cmake --build "$BUILD_DIR" -j "$JOBS"
}

install_second_runtime() {
    if [ -f "$BUILD_DIR/second-runtime/node_modules/@bjorn3/browser_wasi_shim/dist/index.js" ]; then
        say "second WASI runtime present"
        return
    fi
    say "installing the second WASI runtime ($SECOND_RUNTIME_PACKAGE) for the tests"
    npm install --no-save --no-audit --no-fund --prefix "$BUILD_DIR/second-runtime" "$SECOND_RUNTIME_PACKAGE"
}

# The TextMate engine of VS Code, for the test of the editor grammar; only
# when it is missing, and a machine without the npm registry goes on
# without it (the test is then skipped).
install_highlighting_engine() {
    engine="$BUILD_DIR/textmate"
    if [ -d "$engine/node_modules/vscode-textmate" ] && [ -d "$engine/node_modules/vscode-oniguruma" ]; then
        say "TextMate engine present"
        return
    fi
    if ! command -v npm >/dev/null 2>&1; then
        say "npm missing: the highlighting test will be skipped"
        return
    fi
    say "installing the TextMate engine into $engine/"
    mkdir -p "$engine"
    npm install --prefix "$engine" --no-audit --no-fund --no-save \
        vscode-textmate@9.4.0 vscode-oniguruma@2.0.1 ||
        say "npm install failed: the highlighting test will be skipped"
}

install_language_server() {
    if [ -d "$BUILD_DIR/lsp/node_modules/vscode-languageserver" ]; then
        say "language server packages present"
        return
    fi
    say "installing the language server's packages into $BUILD_DIR/lsp/"
    mkdir -p "$BUILD_DIR/lsp"
    # shellcheck disable=SC2086 # the list is meant to split into words
    npm install --prefix "$BUILD_DIR/lsp" --no-audit --no-fund --no-save $LSP_PACKAGES
}

# For the tests only: the LSP client libraries the server's test drives it with.
install_language_client() {
    if [ -d "$BUILD_DIR/lsp-test/node_modules/vscode-languageserver-protocol" ]; then
        say "LSP client libraries present"
        return
    fi
    say "installing the LSP client libraries for the tests into $BUILD_DIR/lsp-test/"
    mkdir -p "$BUILD_DIR/lsp-test"
    # shellcheck disable=SC2086
    npm install --prefix "$BUILD_DIR/lsp-test" --no-audit --no-fund --no-save $LSP_TEST_PACKAGES ||
        say "npm install failed: the language server test will be skipped"
}

install_build() {
    say "installing velc, velc.ini, libvel and wasmer"
    as_root cmake --install "$BUILD_DIR"
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

install_missing_packages
build
install_second_runtime
install_highlighting_engine
install_language_server
install_language_client
install_build
check_toolchain
say "done: velc is $(command -v velc)"
