#!/bin/sh
# Translation time and peak memory of generated programs of about 10,000,
# 100,000 and 1,000,000 lines, the ratio of time between sizes, and the
# time of incremental runs on a project of 50 sources. Usage:
#   bench/scaling.sh [build-directory] [largest-lines]
# Each translation is `velc -q -b -c`: no C++ compiler is started. Times are
# the best of three runs, memory the peak resident size of that run.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
largest=${2:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/velc" "$work/"
cd "$work"

# One block is 20 lines (program_generator.awk); every block reads globals
# declared before it.
generate() {
    awk -v blocks="$1" -f "$here/program_generator.awk"
}

# Prints "seconds peak-kB" of the best of three runs of the command.
measure() {
    best=""
    for run in 1 2 3; do
        /usr/bin/time -f "%e %M" -o time.txt "$@" > /dev/null
        read seconds memory < time.txt
        if [ -z "$best" ] || awk "BEGIN { exit !($seconds < $best) }"; then
            best=$seconds
            bestMemory=$memory
        fi
    done
    echo "$best $bestMemory"
}

echo "Translation (velc -q -b -c), best of 3 runs"
previous=""
lines=10000
while [ "$lines" -le "$largest" ]; do
    generate $((lines / 20)) > prog$lines.vel
    set -- $(measure ./velc -q -b -c prog$lines.vel)
    count=$(wc -l < prog$lines.vel)
    ratio=""
    if [ -n "$previous" ]; then
        ratio=$(awk "BEGIN { if ($previous > 0) printf \"  x%.1f time for x10 lines\", $1 / $previous }")
    fi
    printf "%9d lines: %7.3f s, %7d kB peak%s\n" "$count" "$1" "$2" "$ratio"
    previous=$1
    rm -f prog$lines.vel prog$lines.cpp prog$lines.hpp
    lines=$((lines * 10))
done

# A project of 50 sources: the main source includes 7 groups; group g
# includes the 6 leaves of its group; every source declares a few globals
# and reads those of what it includes.
mkdir project && cd project
cp ../velc .
main=""
for g in 0 1 2 3 4 5 6; do
    group=""
    for l in 0 1 2 3 4 5; do
        {
            echo "int leaf${g}_$l = $l"
            echo "print \"leaf $g $l\", leaf${g}_$l"
        } > leaf${g}_$l.vel
        group="${group}include leaf${g}_$l.vel
"
    done
    {
        printf "%s" "$group"
        echo "int group$g = leaf${g}_0 + leaf${g}_5"
        echo "print group$g"
    } > group$g.vel
    main="${main}include group$g.vel
"
done
{ printf "%s" "$main"; echo "print group0, group6, leaf3_3"; } > prog.vel
sources=$(ls *.vel | wc -l)
./velc -q -b -c prog.vel > /dev/null
echo "Project of $sources sources (velc -q -c), mean of 20 runs"
# File times count in whole seconds. Before each timed run every source is
# made older than every output and then the one source is touched, so it is
# newer than its outputs whatever the previous run wrote.
touchOnly() {
    old=$(($(date +%s) - 100))
    touch -d "@$old" *.vel
    touch -d "@$((old + 50))" *.cpp *.hpp
    touch "$1"
}
# Mean milliseconds of velc -q -c prog.vel; "$1" runs untimed before each run.
meanMilliseconds() {
    total=0
    for run in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
        $1
        start=$(date +%s%N)
        ./velc -q -c prog.vel > /dev/null
        end=$(date +%s%N)
        total=$((total + end - start))
    done
    awk "BEGIN { printf \"%.1f\", $total / 20 / 1000000 }"
}
echo "  no-op run:                       $(meanMilliseconds true) ms"
echo "  after touching one leaf:         $(meanMilliseconds 'touchOnly leaf3_3.vel') ms"
touchOnly leaf3_3.vel
echo "    $(./velc -v -c prog.vel | grep -c '^Compiling source') sources translated again"
echo "  after touching the main source:  $(meanMilliseconds 'touchOnly prog.vel') ms"
touchOnly prog.vel
./velc -v -c prog.vel > run.txt
echo "    $(grep -c '^Compiling source' run.txt) source translated again," \
     "$(grep -c 'not declared' run.txt) names not declared"
