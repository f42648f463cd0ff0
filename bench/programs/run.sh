#!/bin/bash
# Builds every benchmark program of this directory twice, the Velmora source
# with velc and its hand-written C++ counterpart with the same compiler, once
# for WebAssembly (run under wasmer) and once natively, runs each build
# several times (the two builds of a pair in turn) and prints the median
# times, the Velmora/hand-written ratios and the ratio of the Velmora
# program under wasmer to the same program built natively (wasm/nat).
#
#   bench/programs/run.sh [build-directory] [runs] [program ...]
#
# WebAssembly: velc with the build tree's velc.ini (the installed options);
# the hand-written C++ gets the compile options of that velc.ini. Natively:
# velc with velc-native.ini, and g++; both with -O2 (NATIVE_OPT overrides).
# velc names the native program prog.wasm as well. Modules run under this
# tree's wasmer runner (tools/wasmer), or the one WASMER names.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
runs=${2:-5}
shift $(( $# > 2 ? 2 : $# ))
programs=("$@")
if [ ${#programs[@]} -eq 0 ]; then
    programs=(loops sieve sieve_bounds concat dict fib split sort objects nbody spectral_norm binary_trees each objects_kept grid_rows)
fi
native_opt=${NATIVE_OPT:--O2}
wasmer=${WASMER:-$here/../../tools/wasmer}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/wasm" "$work/native"
cp "$build/velc" "$work/wasm/velc"
cp "$build/velc.ini" "$work/wasm/velc.ini"
cp "$build/velc" "$work/native/velc"
# shellcheck source=bench/common.sh
source "$here/../common.sh"
# The native ini with the benchmark's optimisation level in place of any other.
native_ini_at "$native_opt" "$build/velc-native.ini" "$work/native/velc.ini"
read_wasm_settings "$work/wasm/velc.ini"

# The outputs of the two builds must agree, or the comparison means nothing.
same_output() {
    if ! diff -q <("${@:1:$#/2}") <("${@:$#/2+1}") > /dev/null; then
        echo "  output of $name differs between Velmora and hand-written" >&2
        return 1
    fi
}

printf '%-8s | %9s %9s %6s | %9s %9s %6s | %9s\n' program wasm-vel wasm-cpp ratio nat-vel nat-cpp ratio wasm/nat
printf '%-8s | %9s %9s %6s | %9s %9s %6s | %9s\n' "" "s" "s" "" "s" "s" "" "vel"
for name in "${programs[@]}"; do
    for kind in wasm native; do
        cp "$here/$name.vel" "$work/$kind/$name.vel"
        (cd "$work/$kind" && ./velc -q -b -e "$name.vel" > /dev/null)
    done
    build_cpp_wasm "$here/$name.cpp" "$work/wasm/$name-cpp"
    build_cpp_native "$here/$name.cpp" "$work/native/$name-cpp" "$native_opt"
    same_output "$wasmer" "$work/wasm/$name.wasm" "$wasmer" "$work/wasm/$name-cpp.wasm" || true
    same_output "$work/native/$name.wasm" "$work/native/$name-cpp" || true
    read -r wv wc < <(median_times_in_turn "$wasmer" "$work/wasm/$name.wasm" "$wasmer" "$work/wasm/$name-cpp.wasm")
    read -r nv nc < <(median_times_in_turn "$work/native/$name.wasm" "$work/native/$name-cpp")
    printf '%-8s | %9s %9s %6s | %9s %9s %6s | %9s\n' "$name" "$wv" "$wc" "$(ratio "$wv" "$wc")" \
        "$nv" "$nc" "$(ratio "$nv" "$nc")" "$(ratio "$wv" "$nv")"
done
echo "median of $runs runs; wasm options: $wasm_options / $wasm_link; native: $native_opt; load: $(cut -d' ' -f1-3 /proc/loadavg)"
