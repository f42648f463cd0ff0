#!/bin/bash
# The edit-compile-run loop: `velc hello.vel` after an edit, split into
# translate, compile, link and run, and the full rebuild of a project of 50
# sources with jobs=1 and with the configured number of jobs. Usage:
#   bench/edit_loop.sh [build-directory] [runs] [project-runs]
# (project-runs 0 leaves the project out).
# Two tool chains are measured, both from the build tree's velc.ini:
#   before  without the precompiled prologue, one job, the link options
#           without the flags that leave out the browser's JS libraries
#           and those that make the link wasm-ld alone, the tools started directly (not through velc_emreplay) and
#           through the first python3 on the PATH;
#   unready the velc.ini as the build wrote it, without the standbys of
#           velc_emreplay (VELC_EMREPLAY_STANDBY=0): each compile and link
#           starts clang or wasm-ld anew;
#   after   the velc.ini as the build wrote it, with the standbys: each
#           compile and link after the first runs on a clang or wasm-ld
#           loaded by the one before it;
#   tables  the same, with the link options repeating one (-O1), for which
#           velc_prologue made no copies of the system libraries: the link
#           takes the originals, with their line tables;
#   late    the same, with a wasmer that velc does not start before the
#           link (a wrapper of this tree's that does not name the variable
#           it waits on), as any other runner is started.
# The runner is this tree's tools/wasmer, first on the PATH.
# Every figure is the median of the runs, in seconds of elapsed time; the
# hello figures also give, after a slash, the processor time of all the
# processes (user and system), which is what elapsed time comes to on an
# idle machine (less where node runs threads at once) and which the other
# work on a shared machine changes little. A standby's work (its loading
# and the run it serves) is not among the processes waited for: with
# standbys, the processor time leaves out the compile's and the link's.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-7}
projectRuns=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

lean='-sAUTO_JS_LIBRARIES=0 -sAUTO_NATIVE_LIBRARIES=0 -sFILESYSTEM=0'
oneStep='-sWASM_BIGINT -sEMIT_PRODUCERS_SECTION'
setUp() {   # directory ini-filter
    mkdir -p "$work/$1"
    cp "$build/velc" "$work/$1/"
    sed "$2" "$build/velc.ini" > "$work/$1/velc.ini"
}
setUp before "/^pch=/d; /^jobs=/d; s/ $lean//; s/ $oneStep//; s/EMSDK_PYTHON=[^ ]* //; s#[^ =]*/velc_emreplay ##"
setUp unready ""
setUp after ""
setUp tables "s/^loptions=/loptions=-O1 /"
setUp late ""

here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work/bin" "$work/late-bin"
ln -s "$here/../tools/wasmer" "$work/bin/wasmer"
printf '#!/bin/sh\nexec %s "$@"\n' "$here/../tools/wasmer" > "$work/late-bin/wasmer"
chmod +x "$work/late-bin/wasmer"
export PATH="$work/bin:$PATH"

median() {
    sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

seconds() {   # command...: elapsed seconds of one run, output dropped
    local start end
    start=$(date +%s%N)
    "$@" > /dev/null 2>&1 || true
    end=$(date +%s%N)
    awk "BEGIN { printf \"%.3f\n\", ($end - $start) / 1e9 }"
}

# command...: "elapsed/processor" seconds of one run, output dropped; the
# processor time is that of the command and every process it waited for.
timed() {
    python3 -c 'import os, subprocess, sys, time
start = time.time()
child = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
usage = os.wait4(child.pid, 0)[2]
print("%.3f/%.3f" % (time.time() - start, usage.ru_utime + usage.ru_stime))' "$@"
}

# The medians of a column of "elapsed/processor" figures, as one.
medians() {
    local figures
    figures=$(cat)
    printf '%s/%s' "$(cut -d/ -f1 <<< "$figures" | median)" "$(cut -d/ -f2 <<< "$figures" | median)"
}

# An edit: new content, and outputs older than the source (file times
# count in whole seconds). An edit takes a person a while: a second passes
# before the build, in which what a build left to run in the background
# (the standbys' loading) ends.
edit() {   # counter
    sleep 1
    local old=$(($(date +%s) - 100))
    touch -d "@$old" hello.* 2>/dev/null || true
    printf 'print "Hello, World!"\n# edit %s\n' "$1" > hello.vel
}

# The command line velc printed after a line starting with $1.
commandAfter() {
    awk -v mark="$1" 'found { print; exit } index($0, mark) == 1 { found = 1 }' verbose.txt
}

measureHello() {   # configuration
    cd "$work/$1"
    local PATH=$PATH
    [ "$1" != late ] || PATH="$work/late-bin:$PATH"
    local -x VELC_EMREPLAY_STANDBY=1
    [ "$1" != unready ] || VELC_EMREPLAY_STANDBY=0
    edit 0
    ./velc -v hello.vel > verbose.txt
    local compile link
    compile=$(commandAfter "Compiling hello.cpp")
    link=$(commandAfter "Linking hello")
    local total=() translate=() compiling=() linking=() running=()
    for run in $(seq "$runs"); do
        edit "$run"; total+=("$(timed ./velc -q hello.vel)")
        edit "$run"; translate+=("$(timed ./velc -q -c hello.vel)")
        compiling+=("$(timed sh -c "$compile")")
        linking+=("$(timed sh -c "$link")")
        running+=("$(timed wasmer hello.wasm)")
    done
    printf '  %-7s total %s  translate %s  compile %s  link %s  run %s  (%s bytes)\n' "$1" \
        "$(printf '%s\n' "${total[@]}" | medians)" "$(printf '%s\n' "${translate[@]}" | medians)" \
        "$(printf '%s\n' "${compiling[@]}" | medians)" "$(printf '%s\n' "${linking[@]}" | medians)" \
        "$(printf '%s\n' "${running[@]}" | medians)" "$(stat -c %s hello.wasm)"
}

# The main source includes 7 groups of 6 leaves; each leaf declares a
# function and a few globals, each group a global, and the main source
# prints (statements belong in the main source only).
makeProject() {   # directory
    mkdir -p "$1"
    local main="" group g l
    for g in 0 1 2 3 4 5 6; do
        group=""
        for l in 0 1 2 3 4 5; do
            {
                echo "int leaf${g}_$l = $l"
                echo "text name${g}_$l = \"leaf $g $l\""
                echo "int twice${g}_$l(int n) ? return n * 2 + leaf${g}_$l"
            } > "$1/leaf${g}_$l.vel"
            group="${group}include leaf${g}_$l.vel
"
        done
        {
            printf '%s' "$group"
            echo "int group$g = leaf${g}_0 + leaf${g}_5"
        } > "$1/group$g.vel"
        main="${main}include group$g.vel
"
    done
    {
        printf '%s' "$main"
        echo "print group0, group6, leaf3_3, name2_4, twice5_1(3)"
    } > "$1/prog.vel"
}

measureProject() {   # configuration jobs-line
    cd "$work/$1"
    makeProject project
    cp velc project/
    sed "/^jobs=/d" velc.ini > project/velc.ini
    [ -n "$2" ] && echo "$2" >> project/velc.ini
    cd project
    ./velc -q -b -e prog.vel > check.txt 2>&1
    grep -qx "5 5 3 leaf 2 4 7" check.txt || { echo "the project did not build:"; cat check.txt; exit 1; }
    local times=()
    for run in $(seq "$projectRuns"); do
        times+=("$(seconds ./velc -q -b -e prog.vel)")
    done
    printf '  %-7s %-8s %d sources rebuilt in %7.3f s\n' "$1" "${2:-jobs=1}" \
        "$(ls *.vel | wc -l)" "$(printf '%s\n' "${times[@]}" | median)"
    cd ..
    rm -rf project
}

# What the other work on the machine leaves to this run: two CPU-bound
# loops at once take 1.0 times one loop with two free processors, 2.0 with
# one processor's worth.
spin() { awk 'BEGIN { for (i = 0; i < 20000000; i++) s += i }'; }
capacity() {
    local one two
    one=$(seconds spin)
    two=$(seconds sh -c "$(declare -f spin); spin & spin & wait")
    awk "BEGIN { printf \"%.2f\", $two / $one }"
}
echo "Machine: $(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg)," \
     "two loops at once take $(capacity) times one"
echo "velc hello.vel after an edit, median of $runs runs (seconds elapsed/processor)"
measureHello before
measureHello unready
measureHello after
measureHello tables
measureHello late
if [ "$projectRuns" -gt 0 ]; then
    installedJobs=$(sed -n 's/^jobs=//p' "$build/velc.ini")
    echo "Full rebuild (velc -q -b -e) of 50 sources, median of $projectRuns runs"
    measureProject before ""
    measureProject after "jobs=1"
    measureProject after "jobs=$installedJobs"
fi
echo "At the end: load average $(cut -d' ' -f1-3 /proc/loadavg), two loops at once take $(capacity) times one"
