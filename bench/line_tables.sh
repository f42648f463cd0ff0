#!/bin/bash
# What the line tables that name the callers of run-time errors cost: each
# benchmark program of programs/ built with the build tree's velc.ini as it
# is (-gline-tables-only, and -g at the link) and without them, under
# WebAssembly and natively (-g1 and libbacktrace), run in turn, with the
# median times and their ratio. It also says whether the two modules hold
# the same instructions (wasm-dis, but for the numbering of their locals).
#
#   bench/line_tables.sh [build-directory] [runs] [program ...]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
runs=${2:-5}
shift $(( $# > 2 ? 2 : $# ))
programs=("$@")
if [ ${#programs[@]} -eq 0 ]; then
    programs=(loops sieve sieve_bounds concat dict fib split sort objects nbody spectral_norm binary_trees)
fi
wasmer=${WASMER:-$here/../tools/wasmer}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for kind in wasm-with wasm-without native-with native-without; do
    mkdir -p "$work/$kind"
    cp "$build/velc" "$work/$kind/velc"
done
cp "$build/velc.ini" "$work/wasm-with/velc.ini"
sed -e 's/ -gline-tables-only//' -e '/^loptions=/s/ -g\b//' "$build/velc.ini" > "$work/wasm-without/velc.ini"
cp "$build/velc-native.ini" "$work/native-with/velc.ini"
sed -e 's/ -g1//' "$build/velc-native.ini" > "$work/native-without/velc.ini"

# shellcheck source=bench/common.sh
source "$here/common.sh"
RATIO_DIGITS=3

# The module's instructions, without debug sections and without the
# numbers of locals: the link that keeps the line tables keeps the locals in
# the order the compiler gave them, the other renumbers them.
instructions() {
    wasm-dis "$1" | grep -v '^ *;;' |
        sed -E 's/(local\.(get|set|tee)) \$[0-9]+/\1 L/g; s/\(local \$?[^ )]* ?(i32|i64|f32|f64|v128)?\)//g' |
        grep -v '^ *$'
}

printf '%-13s | %8s %8s %6s %5s | %8s %8s %6s\n' program wasm-with without ratio same nat-with without ratio
for name in "${programs[@]}"; do
    for kind in wasm-with wasm-without native-with native-without; do
        cp "$here/programs/$name.vel" "$work/$kind/$name.vel"
        (cd "$work/$kind" && ./velc -q -b -e "$name.vel" > /dev/null)
    done
    same=no
    if cmp -s <(instructions "$work/wasm-with/$name.wasm") <(instructions "$work/wasm-without/$name.wasm"); then
        same=yes
    fi
    read -r ww wo < <(median_times_in_turn "$wasmer" "$work/wasm-with/$name.wasm" "$wasmer" "$work/wasm-without/$name.wasm")
    read -r nw no < <(median_times_in_turn "$work/native-with/$name.wasm" "$work/native-without/$name.wasm")
    printf '%-13s | %8s %8s %6s %5s | %8s %8s %6s\n' "$name" "$ww" "$wo" "$(ratio "$ww" "$wo")" "$same" \
        "$nw" "$no" "$(ratio "$nw" "$no")"
done
