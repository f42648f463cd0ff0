#!/bin/bash
# Building and editing long programs: generated programs of about 5,000 and
# 20,000 lines (bench/program_generator.awk), built with the build tree's
# velc and velc.ini. For each size:
#   cold       a fresh directory: nothing translated, compiled or recorded
#              by velc_emreplay yet (one run);
#   no-op      velc prog.vel again, nothing changed (median of the runs);
#   edit       one line in the middle rewritten with as many lines as
#              before (a printed text changes; median of the runs);
#   new line   one line inserted in the middle (every later line number
#              moves; one run);
#   fn edit    with FUNCTIONS=1 (each block then defines a function too), a
#              line of the function in the middle rewritten (median).
# Each figure is the elapsed time from velc's start to the program's end,
# split into translate (velc -c), compile (up to the "objlist=" line of
# the velc run that follows), link (up to the program's first line) and
# run, with the processor time of both velc runs and what they started
# (user and system, which the load of the machine changes less than the
# elapsed time) and the number of C++ files the build compiled. Usage:
#   bench/big_programs.sh [build-directory] [runs] [blocks ...]
# (blocks of 20 lines, 31 with FUNCTIONS=1; 250 and 1000 by default.)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
runs=${2:-3}
functions=${FUNCTIONS:-0}
shift $(( $# > 2 ? 2 : $# ))
sizes=("$@")
[ ${#sizes[@]} -eq 0 ] && sizes=(250 1000)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs velc -c (the translation alone), then velc, and prints "total
# translate compile link run" in seconds. The second run translates again
# (its objects are older than the C++ files the first wrote); that second
# translation counts as compile time.
phases() {
    local start=$EPOCHREALTIME
    /usr/bin/time -o cpu1.txt -f '%U %S' ./velc -q -c prog.vel > /dev/null 2>&1
    local translated=$EPOCHREALTIME
    /usr/bin/time -o cpu2.txt -f '%U %S' ./velc prog.vel 2>&1 |
        while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done > timed.txt
    local end=$EPOCHREALTIME
    local cpu
    cpu=$(cat cpu1.txt cpu2.txt | awk '{ s += $1 + $2 } END { printf "%.2f", s }')
    awk -v start="$start" -v translated="$translated" -v end="$end" -v cpu="$cpu" '
        $2 ~ /^objlist=/ { linked = $1 }
        $2 == "Compiling" { files++ }
        linking && !running { running = $1 }
        $2 == "Linking" { linking = 1 }
        END {
            if (!linked) linked = translated
            if (!running) running = linked
            printf "%.3f %.3f %.3f %.3f %.3f %.2f %d\n", end - start, translated - start, linked - translated,
                   running - linked, end - running, cpu, files
        }' timed.txt
}

# The median of each column of the lines read.
medians() {
    awk '{ for (i = 1; i <= NF; i++) v[i, NR] = $i; n = NF }
         END {
             for (i = 1; i <= n; i++) {
                 for (a = 1; a <= NR; a++) c[a] = v[i, a]
                 for (a = 1; a <= NR; a++) for (b = a + 1; b <= NR; b++) if (c[b] < c[a]) { t = c[a]; c[a] = c[b]; c[b] = t }
                 m = (NR % 2) ? c[(NR + 1) / 2] : (c[NR / 2] + c[NR / 2 + 1]) / 2
                 printf (m == int(m) && i == n ? "%s%d" : "%s%.3f"), (i > 1 ? " " : ""), m
             }
             print ""
         }'
}

show() {   # label "total translate compile link run files"
    # shellcheck disable=SC2086
    printf '  %-9s total %7s   translate %6s  compile %7s  link %6s  run %6s   cpu %6s  (%s C++ files compiled)\n' "$1" $2
}

# Rewrites line $1 of prog.vel as a print of $2 (an echo line in a loop
# stays a statement of the same block).
rewrite() {
    awk -v at="$1" -v text="$2" 'NR == at { print "print \"" text "\""; next } { print }' prog.vel > edited.vel
    mv edited.vel prog.vel
}

echo "Machine: $(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg)"
for blocks in "${sizes[@]}"; do
    dir="$work/blocks$blocks"
    mkdir -p "$dir"
    cp "$build/velc" "$build/velc.ini" "$dir/"
    cd "$dir"
    awk -v blocks="$blocks" -v functions="$functions" -f "$here/program_generator.awk" > prog.vel
    lines=$(wc -l < prog.vel)
    # A line of the middle that is a top-level print: the edits keep it one.
    middle=$(awk -v half=$((lines / 2)) 'NR >= half && /^print "line"/ { print NR; exit }' prog.vel)
    echo "$lines lines ($(grep -c . prog.vel) not blank), edited at line $middle"
    show cold "$(phases)"
    echo "    $(ls prog*.cpp | wc -l) C++ files"
    for ((r = 0; r < runs; r++)); do phases; done | medians | { read -r m; show no-op "$m"; }
    for ((r = 0; r < runs; r++)); do rewrite "$middle" "edit $r"; phases; done | medians | { read -r m; show edit "$m"; }
    awk -v at="$middle" 'NR == at { print "print \"inserted\"" } { print }' prog.vel > edited.vel && mv edited.vel prog.vel
    show "new line" "$(phases)"
    if [ "$functions" != 0 ]; then
        # The loop body of a function of the middle: its text alone changes.
        body=$(awk -v half=$((lines / 2)) 'NR >= half && /^        s = s \+ j \* / { print NR; exit }' prog.vel)
        for ((r = 0; r < runs; r++)); do
            awk -v at="$body" -v r="$r" 'NR == at { print "        s = s + j * " r + 1; next } { print }' prog.vel > edited.vel
            mv edited.vel prog.vel
            phases
        done | medians | { read -r m; show "fn edit" "$m"; }
    fi
    cd "$work"
    rm -rf "$dir"
done
echo "At the end: load average $(cut -d' ' -f1-3 /proc/loadavg)"
