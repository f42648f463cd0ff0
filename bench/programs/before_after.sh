#!/bin/bash
# Compares two builds of velc on the benchmark programs in one run: each
# program is built by the velc and libvel of the build before a change and
# of the build after it, and its hand-written C++ counterpart with the same
# compiler, for WebAssembly (run under wasmer) and natively; the three run
# in turn, several times, and the medians, the ratios after/before and
# after/C++ and the peak resident memory of one run of each are printed.
# The outputs of before and after must be byte-identical.
#
#   bench/programs/before_after.sh before-build after-build [runs] [program ...]
#
# A build directory is one with velc, velc.ini, velc-native.ini and the
# libvel they name (a copy of a build tree's, with the paths in its inis
# rewritten, does). Peak memory under wasmer includes Node's own (about
# 45 MB for hello). MEASURE=cpu gives processor time instead of wall time.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
before=$(cd "$1" && pwd)
after=$(cd "$2" && pwd)
runs=${3:-5}
shift $(( $# > 3 ? 3 : $# ))
programs=("$@")
if [ ${#programs[@]} -eq 0 ]; then
    programs=(binary_trees objects objects_kept nbody spectral_norm sieve dict)
fi
native_opt=${NATIVE_OPT:--O2}
wasmer=${WASMER:-$here/../../tools/wasmer}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck source=bench/common.sh
source "$here/../common.sh"
read_wasm_settings "$after/velc.ini"

# Microseconds of one run of a command given as one word list: wall time,
# or with MEASURE=cpu the processor time (user and system) of the command
# and what it started, which the other work of a shared machine changes
# far less.
one_run() {
    if [ "${MEASURE:-wall}" = cpu ]; then
        /usr/bin/time -f '%U %S' -o "$work/time.txt" "$@" > /dev/null
        awk '{ printf "%d\n", ($1 + $2) * 1e6 }' "$work/time.txt"
    else
        local start end
        start=$(date +%s%N); "$@" > /dev/null; end=$(date +%s%N)
        echo $(( (end - start) / 1000 ))
    fi
}

# The three medians of commands given as three words (each a runnable path
# or "wasmer path"), run in turn.
medians_of_three() {
    local a=() b=() c=()
    for ((r = 0; r < runs; r++)); do
        # shellcheck disable=SC2086
        a+=($(one_run $1)); b+=($(one_run $2)); c+=($(one_run $3))
    done
    printf '%s %s %s\n' "$(median_of "${a[@]}")" "$(median_of "${b[@]}")" "$(median_of "${c[@]}")"
}

# Makes $work/<side>/<kind> with that build's velc and the ini of the kind.
for side in before after; do
    dir=$before
    [ $side = after ] && dir=$after
    for kind in wasm native; do
        mkdir -p "$work/$side/$kind"
        cp "$dir/velc" "$work/$side/$kind/velc"
    done
    cp "$dir/velc.ini" "$work/$side/wasm/velc.ini"
    native_ini_at "$native_opt" "$dir/velc-native.ini" "$work/$side/native/velc.ini"
done

echo "load at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-13s %-6s | %8s %8s %8s | %6s %6s | %6s %6s %6s\n' program kind before after C++ a/b a/C++ MB-b MB-a MB-C++
for name in "${programs[@]}"; do
    for side in before after; do
        for kind in wasm native; do
            cp "$here/$name.vel" "$work/$side/$kind/$name.vel"
            (cd "$work/$side/$kind" && ./velc -q -b -e "$name.vel" > /dev/null)
        done
    done
    build_cpp_wasm "$here/$name.cpp" "$work/$name-cpp"
    build_cpp_native "$here/$name.cpp" "$work/$name-cpp" "$native_opt"
    for kind in wasm native; do
        run=""
        [ $kind = wasm ] && run="$wasmer "
        b="$run$work/before/$kind/$name.wasm"
        a="$run$work/after/$kind/$name.wasm"
        c="$run$work/$name-cpp"
        [ $kind = wasm ] && c="$c.wasm"
        if ! cmp -s <($b) <($a); then
            echo "  $name ($kind): the output after differs from the output before" >&2
        fi
        read -r tb ta tc < <(medians_of_three "$b" "$a" "$c")
        printf '%-13s %-6s | %8s %8s %8s | %6s %6s | %6s %6s %6s\n' "$name" "$kind" "$tb" "$ta" "$tc" \
            "$(ratio "$ta" "$tb")" "$(ratio "$ta" "$tc")" "$(peak $b)" "$(peak $a)" "$(peak $c)"
    done
done
what="wall seconds"
[ "${MEASURE:-wall}" = cpu ] && what="processor seconds (user and system)"
echo "$what, median of $runs runs in turn; native $native_opt; load: $(cut -d' ' -f1-3 /proc/loadavg)"
