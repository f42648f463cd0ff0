#!/bin/bash
# The peer comparison: each program of PROGRAMS written in Velmora
# (programs/NAME.vel), in hand C++ (programs/NAME.cpp) and, where their
# tools are installed, in AssemblyScript, Nim and Lua (peers/), built and run
# in turn, with the processor time (user and system, median of the runs) and
# the peak resident memory of each. Every output must be the same as the
# hand C++ program's, byte for byte; a build whose output differs is marked.
#
#   bench/peers.sh [build-directory] [runs] [program ...]
#
# Builds: velc with the build tree's velc.ini (WebAssembly, run by this
# tree's wasmer) and velc-native.ini (g++ -O2); the hand C++ with em++ and the
# options of that velc.ini (run by the same wasmer) and with g++ -O2;
# AssemblyScript with asc -O3 (ASC, else the build tree's peers/ npm folder
# or the PATH), run on Node as the modules velc makes are; Nim with
# nim -d:release; Lua with lua5.4 and luajit. A peer whose tool is missing is
# left out with a note: this script installs nothing.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
runs=${2:-3}
shift $(( $# > 2 ? 2 : $# ))
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(loops sieve concat dict nbody spectral_norm fannkuch_redux binary_trees)
wasmer=${WASMER:-$here/../tools/wasmer}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/wasm" "$work/native" "$work/peers"
cp "$build/velc" "$build/velc.ini" "$work/wasm/"
cp "$build/velc" "$work/native/"
cp "$build/velc-native.ini" "$work/native/velc.ini"

# shellcheck source=bench/common.sh
source "$here/common.sh"
read_wasm_settings "$work/wasm/velc.ini"

# The peers whose tools are here.
asc=${ASC:-}
[ -n "$asc" ] || { [ -x "$build/peers/node_modules/.bin/asc" ] && asc=$build/peers/node_modules/.bin/asc; } ||
    asc=$(command -v asc || true)
nim=$(command -v nim || true)
lua=$(command -v lua5.4 || true)
luajit=$(command -v luajit || true)
peers=(velc-wasm cpp-wasm velc-nat cpp-nat)
[ -n "$asc" ] && peers+=(as) || echo "note: no AssemblyScript compiler (asc): left out"
[ -n "$nim" ] && peers+=(nim) || echo "note: no nim: left out"
[ -n "$lua" ] && peers+=(lua) || echo "note: no lua5.4: left out"
[ -n "$luajit" ] && peers+=(luajit) || echo "note: no luajit: left out"

# The command that runs one program built as one peer; builds it first.
build_peer() {   # peer name -> the command, on standard output
    local peer=$1 name=$2
    case $peer in
        velc-wasm)
            cp "$here/programs/$name.vel" "$work/wasm/"
            (cd "$work/wasm" && ./velc -q -b -e "$name.vel" > /dev/null)
            echo "$wasmer $work/wasm/$name.wasm" ;;
        velc-nat)
            cp "$here/programs/$name.vel" "$work/native/"
            (cd "$work/native" && ./velc -q -b -e "$name.vel" > /dev/null)
            echo "$work/native/$name.wasm" ;;
        cpp-wasm)
            build_cpp_wasm "$here/programs/$name.cpp" "$work/wasm/$name-cpp"
            echo "$wasmer $work/wasm/$name-cpp.wasm" ;;
        cpp-nat)
            build_cpp_native "$here/programs/$name.cpp" "$work/native/$name-cpp" -O2
            echo "$work/native/$name-cpp" ;;
        as)
            "$asc" "$here/peers/$name.ts" -O3 --exportStart _start -o "$work/peers/$name-as.wasm" > /dev/null
            echo "node $here/peers/run_assemblyscript.mjs $work/peers/$name-as.wasm" ;;
        nim)
            "$nim" c -d:release --hints:off --nimcache:"$work/peers/nimcache-$name" \
                -o:"$work/peers/$name-nim" "$here/peers/$name.nim" > /dev/null 2>&1
            echo "$work/peers/$name-nim" ;;
        lua) echo "$lua $here/peers/$name.lua" ;;
        luajit) echo "$luajit $here/peers/$name.lua" ;;
    esac
}

# One run: "processor-seconds peak-kilobytes", the output kept in $2. GNU
# time's own few megabytes are the floor of the peak it reports.
measure() {   # command output-file
    # shellcheck disable=SC2086
    /usr/bin/time -f '%U %S %M' -o "$work/time.txt" $1 > "$2" 2> /dev/null || true
    awk '{ printf "%.3f %d\n", $1 + $2, $3 }' "$work/time.txt"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "Machine: $(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg)"
header="program       "
for peer in "${peers[@]}"; do header+=$(printf ' | %-15s' "$peer"); done
echo "$header"
echo "              $(for peer in "${peers[@]}"; do printf ' | %-15s' "cpu s  peak MB"; done)"
for name in "${programs[@]}"; do
    declare -A command=()
    for peer in "${peers[@]}"; do
        command[$peer]=$(build_peer "$peer" "$name" 2>> "$work/build.log") || command[$peer]=""
    done
    "$work/native/$name-cpp" > "$work/expected.txt"
    declare -A times=() peaks=() marks=()
    for run in $(seq "$runs"); do
        for peer in "${peers[@]}"; do
            [ -n "${command[$peer]}" ] || continue
            read -r seconds peak < <(measure "${command[$peer]}" "$work/out.txt")
            times[$peer]+="$seconds "
            peaks[$peer]=$(( ${peaks[$peer]:-0} > peak ? ${peaks[$peer]:-0} : peak ))
            cmp -s "$work/out.txt" "$work/expected.txt" || marks[$peer]="!"
        done
    done
    line=$(printf '%-14s' "$name")
    for peer in "${peers[@]}"; do
        if [ -z "${command[$peer]}" ]; then
            line+=$(printf ' | %-15s' "not built")
        else
            line+=$(printf ' | %6.3f%1s %7.1f' "$(tr ' ' '\n' <<< "${times[$peer]}" | grep . | median)" \
                "${marks[$peer]:-}" "$(awk "BEGIN { print ${peaks[$peer]} / 1024 }")")
        fi
    done
    echo "$line"
    unset command times peaks marks
done
echo "median of $runs runs, processor seconds (user and system); peak resident memory of the largest run;" \
     "! marks an output that differs from the hand C++ program's"
echo "At the end: load average $(cut -d' ' -f1-3 /proc/loadavg)"
[ ! -s "$work/build.log" ] || { echo "Build messages:"; cat "$work/build.log"; }
