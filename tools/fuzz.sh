#!/bin/sh
# Fuzzes velc built with AddressSanitizer and UndefinedBehaviorSanitizer, in
# a build tree of its own (build-fuzz beside build), on programs written from
# the grammar and on mutants of the tests' programs.
#   tools/fuzz.sh [--minutes M] [--jobs J] [--build DIR] [other velc_fuzz run options]
# Findings: velc killed by a signal, a sanitizer report, a hang, an internal
# error in its output, and for a program it accepts a C++ compiler's error
# or warning (-Wall). Each kind is kept with its input below
# DIR/tests/fuzz/scratch/findings; `velc_fuzz show SEED DIR` writes an input again.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
minutes=40
jobs=2
while [ $# -gt 0 ]; do
    case $1 in
    --minutes) minutes=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) break ;;
    esac
done
launcher=""
command -v ccache >/dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
# Configured on every run, so that a tree made before the sources gained a
# target knows it.
# shellcheck disable=SC2086 # the launcher options are meant to split
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELC_SANITIZE=ON $launcher >/dev/null
cmake --build "$build" -j "$jobs" --target velc velc_fuzz velmora_header
exec "$build/tests/fuzz/velc_fuzz" run --minutes "$minutes" --jobs "$jobs" --clang "$@"
