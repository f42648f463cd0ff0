#!/bin/sh
# Longer run of the random-program soundness test.
#   tests/soundness/run_long.sh [seed] [count] [build-dir] [extra soundness_tool options...]
# Translates COUNT programs from SEED on with the build tree's velc, compiles
# every one and links and runs every third; prints a report of the failures
# (reproduce one with: BUILD/tests/soundness/soundness_tool program SEED).
set -e
seed=${1:-1}
count=${2:-2000}
build=${3:-$(dirname "$0")/../../build}
[ $# -ge 3 ] && shift 3 || shift $#
cmake --build "$build" --target soundness_tool
exec "$build/tests/soundness/soundness_tool" "$@" check "$seed" "$count" "${JOBS:-2}" "${RUN_EVERY:-3}"
