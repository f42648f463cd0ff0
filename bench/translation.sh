#!/bin/sh
# Translation speed: velc -c on a generated source of N blocks (default
# 2000, about 20,000 lines), timed over a few runs. Usage:
#   bench/translation.sh [build-directory] [blocks]
set -e
build=$(cd "${1:-build}" && pwd)
blocks=${2:-2000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/velc" "$work/"
cd "$work"
i=0
{
    echo 'int total = 0'
    echo 'array items = [1, "two", 3.5]'
    while [ "$i" -lt "$blocks" ]; do
        echo "int v$i = $i * 2 + 1"
        echo "if v$i mod 3 = 0"
        echo "    total + v$i"
        echo "else"
        echo "    total = total - 1"
        echo "/if"
        echo "for k$i in 1..3"
        echo "    echo k$i, \" \""
        echo "/for"
        echo "print \"block $i\", total, items[0]"
        i=$((i + 1))
    done
} > bench.vel
lines=$(wc -l < bench.vel)
for run in 1 2 3; do
    start=$(date +%s.%N)
    ./velc -q -b -c bench.vel > /dev/null
    end=$(date +%s.%N)
    echo "run $run: $lines lines in $(awk "BEGIN { printf \"%.3f\", $end - $start }") s"
done
