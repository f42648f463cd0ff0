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
# and GoogleTest.
PACKAGES="cmake g++ make antlr libantlr-dev emscripten python3 nodejs npm libgtest-dev googletest"

# The tests run every module a second time on this independent, pure
# JavaScript WASI implementation; it goes into the build tree.
SECOND_RUNTIME_PACKAGE="@bjorn3/browser_wasi_shim@0.4.2"

# The browser tests drive Debian's Chromium with this library; both are
# for the tests only.
BROWSER_TEST_PACKAGE="puppeteer-core@24.10.0"

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

# What velc's pages and playground run in a browser (web/package.json: the
# WASI layer, the editor, and the bundler that makes one script of each),
# installed before the build, which bundles them. A machine without the npm
# registry goes on without them: velc then writes no page.
install_web_packages() {
    if [ -f "$BUILD_DIR/web/node_modules/.package-lock.json" ] &&
        cmp -s web/package.json "$BUILD_DIR/web/package.json"; then
        say "web packages present"
        return
    fi
    if ! command -v npm >/dev/null 2>&1; then
        say "npm missing: velc --html and --playground will not be available"
        return
    fi
    say "installing the web packages into $BUILD_DIR/web/"
    mkdir -p "$BUILD_DIR/web"
    cp web/package.json "$BUILD_DIR/web/package.json"
    npm install --prefix "$BUILD_DIR/web" --no-audit --no-fund ||
        say "npm install failed: velc --html and --playground will not be available"
}

# Test part: Chromium from Debian and puppeteer-core from npm for the
# browser tests, which are skipped where either is missing.
install_browser_test_tools() {
    if ! is_installed chromium; then
        say "installing chromium for the browser tests"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends chromium ||
            say "chromium could not be installed: the browser tests will be skipped"
    fi
    if [ -f "$BUILD_DIR/browser-test/node_modules/puppeteer-core/package.json" ]; then
        say "puppeteer-core present"
        return
    fi
    command -v npm >/dev/null 2>&1 || return 0
    say "installing $BROWSER_TEST_PACKAGE for the browser tests"
    npm install --no-save --no-audit --no-fund --prefix "$BUILD_DIR/browser-test" "$BROWSER_TEST_PACKAGE" ||
        say "npm install failed: the browser tests will be skipped"
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
install_web_packages
build
install_second_runtime
install_highlighting_engine
install_build
check_toolchain
install_browser_test_tools
say "done: velc is $(command -v velc)"
