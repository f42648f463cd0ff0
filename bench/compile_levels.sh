#!/bin/bash
# Compile and link time with em++/emcc at each optimisation level, for hello
# and for a generated program of 5,000 lines (bench/program_generator.awk),
# median of several runs. velc translates once; the compile and link are the
# commands velc would run with the build tree's velc.ini, with only the -O
# option changed.
#
#   bench/compile_levels.sh [build-directory] [runs] [levels ...]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
runs=${2:-3}
shift $(( $# > 2 ? 2 : $# ))
levels=("$@")
if [ ${#levels[@]} -eq 0 ]; then
    levels=(-O0 -O1 -O2 -O3 -Os)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/velc" "$build/velc.ini" "$work/"
cd "$work"
printf 'print "Hello, world!"\n' > hello.vel
awk -v blocks=250 -f "$here/program_generator.awk" > lines5000.vel
./velc -q -b -c hello.vel > /dev/null
./velc -q -b -c lines5000.vel > /dev/null

# shellcheck source=bench/common.sh
source "$here/common.sh"
# velc.ini's settings without their optimisation level.
without_level() { ini_value velc.ini "$1" | sed -e 's/ -O[0-9sz]*//g'; }
options=$(without_level options)
loptions=$(without_level loptions)
objects=$(ini_value velc.ini objects)
MEDIAN_DIGITS=2

printf '%-5s | %-19s | %-19s\n' level "hello compile link" "5,000 lines compile link"
for level in "${levels[@]}"; do
    row=()
    for program in hello lines5000; do
        # shellcheck disable=SC2086
        row+=("$(median_time em++ $options $level "$program.cpp" -o "$program.o")")
        # shellcheck disable=SC2086
        row+=("$(median_time emcc $loptions $level -o "$program.wasm" "$program.o" $objects)")
    done
    printf '%-5s | %8s s %8s s | %8s s %8s s\n' "$level" "${row[@]}"
done
echo "median of $runs runs; load: $(cut -d' ' -f1-3 /proc/loadavg)"
