#!/bin/bash
# What line directives cost a running program: every benchmark program of
# programs/ built natively with lines=1 and with lines=0, each run once
# under callgrind, and the instructions it executed compared (a count that
# a loaded machine does not disturb, unlike a time). The WebAssembly modules
# of both settings are compared by size.
#
#   bench/line_positions.sh [build-directory] [program ...]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
shift $(( $# > 0 ? 1 : 0 ))
programs=("$@")
if [ ${#programs[@]} -eq 0 ]; then
    programs=(loops sieve concat dict fib split sort objects)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for lines in 0 1; do
    for kind in native wasm; do
        dir="$work/$kind$lines"
        mkdir -p "$dir"
        cp "$build/velc" "$dir/velc"
        ini="$build/velc.ini"
        [ "$kind" = native ] && ini="$build/velc-native.ini"
        sed -e '/^lines=/d' "$ini" > "$dir/velc.ini"
        echo "lines=$lines" >> "$dir/velc.ini"
        # velc's run step (-e links the program) starts nothing.
        mkdir -p "$dir/bin"
        printf '#!/bin/sh\nexit 0\n' > "$dir/bin/wasmer"
        chmod +x "$dir/bin/wasmer"
    done
done

# Instructions callgrind counts for one run of a native program.
instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" 2>&1 >/dev/null |
        sed -n 's/.*Collected : *//p' | tr -d ' '
}

printf '%-8s | %14s %14s %8s | %9s %9s\n' program "instr lines=0" "instr lines=1" change "wasm B 0" "wasm B 1"
for name in "${programs[@]}"; do
    for dir in "$work"/native0 "$work"/native1 "$work"/wasm0 "$work"/wasm1; do
        cp "$here/programs/$name.vel" "$dir/"
        (cd "$dir" && PATH="$dir/bin:$PATH" ./velc -q -b -e "$name.vel" > /dev/null)
    done
    if ! diff -q <("$work/native0/$name.wasm") <("$work/native1/$name.wasm") > /dev/null; then
        echo "  output of $name differs between lines=0 and lines=1" >&2
    fi
    without=$(instructions "$work/native0/$name.wasm")
    with=$(instructions "$work/native1/$name.wasm")
    change=$(awk -v a="$with" -v b="$without" 'BEGIN { printf "%+.3f%%", (a - b) * 100 / b }')
    printf '%-8s | %14s %14s %8s | %9s %9s\n' "$name" "$without" "$with" "$change" \
        "$(stat -c %s "$work/wasm0/$name.wasm")" "$(stat -c %s "$work/wasm1/$name.wasm")"
done
