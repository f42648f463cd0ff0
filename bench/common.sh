# shellcheck shell=bash
# What the scripts that build and time the benchmark programs share: the
# settings of a velc.ini, the builds of the hand-written C++ counterparts,
# ratios and peak memory. Sourced; the timing helpers come with it.

# shellcheck source=bench/median_time.sh
source "$(dirname "${BASH_SOURCE[0]}")/median_time.sh"

# The value of a key of a velc.ini.
ini_value() { sed -n "s/^$2=//p" "$1" | head -n 1; }

# Sets wasm_options, wasm_link and wasm_objects from a WebAssembly velc.ini:
# its compile and link options without the include paths, and its objects
# (libvel's archive holds the optimised instantiations of libc++'s string
# and stream templates), so that a hand-written program is compiled and
# linked as velc does it.
read_wasm_settings() {
    wasm_options=$(ini_value "$1" options | sed -e 's/-I[^ ]*//g')
    wasm_link=$(ini_value "$1" loptions | sed -e 's/-I[^ ]*//g')
    wasm_objects=$(ini_value "$1" objects)
}

# Writes a native velc.ini with one optimisation level in place of any other.
native_ini_at() {   # level from-ini to-ini
    sed -e '/^options=/s/ -O[0-9sz]*//g' -e "s/^options=/options=$1 /" "$2" > "$3"
}

# The hand-written C++ program built as a module (OUT.wasm, with OUT.o
# beside it) with the settings read_wasm_settings read.
build_cpp_wasm() {   # source OUT
    # shellcheck disable=SC2086
    em++ $wasm_options "$1" -o "$2.o"
    # shellcheck disable=SC2086
    emcc $wasm_link -o "$2.wasm" "$2.o" $wasm_objects
}

# The hand-written C++ program built natively with g++ at a level.
build_cpp_native() {   # source program level
    g++ -std=c++17 "$3" "$1" -o "$2"
}

# a / b with RATIO_DIGITS decimals (2 by default); 0 when b is 0.
ratio() { awk -v a="$1" -v b="$2" -v digits="${RATIO_DIGITS:-2}" 'BEGIN { printf ("%." digits "f"), (b > 0 ? a / b : 0) }'; }

# Peak resident memory of one run of a command, in MB.
peak() { /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -n 1 | awk '{ printf "%.0f", $1 / 1024 }'; }
