#!/bin/bash
# Translates every program the tests, examples, benchmarks and the guide hold
# with a velc, each in a folder of its own under OUT, keeping the C++ files,
# the headers and velc's report. Two dumps made on the same sources, one
# before and one after a change, are compared with `diff -r` to show what
# the change does to the generated code.
#
#   tools/dump_generated.sh OUT [VELC]     VELC defaults to build/velc
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 OUT [VELC]" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
velc=$(realpath "${2:-$root/build/velc}")
ini="$(dirname "$velc")/velc.ini"

# Every program translates in the same scratch folder, so that a path velc
# writes into its output is the same in both dumps. The velc runs from a
# folder of its own, beside the velc.ini of the translation tests.
scratch="${TMPDIR:-/tmp}/velc-dump-scratch"
tools=$(mktemp -d)
trap 'rm -rf "$tools"' EXIT
ln "$velc" "$tools/velc" 2>/dev/null || cp "$velc" "$tools/velc"
{ cat "$ini"; echo "lines=0"; } > "$tools/velc.ini"

# Translates the sources gathered in $scratch (main source prog.vel unless
# named) and keeps what velc made under $out/LABEL.
translate() {
    local label=$1 main=${2:-prog.vel}
    local status=0
    (cd "$scratch" && "$tools/velc" -q -b -c "$main" < /dev/null > report.txt 2> syntax.txt) || status=$?
    echo "status: $status" >> "$scratch/report.txt"
    mkdir -p "$out/$label"
    find "$scratch" -maxdepth 1 -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.txt' \) \
        -exec cp {} "$out/$label/" \;
    # The build stamp names the velc binary, which the change rebuilt.
    find "$out/$label" -name '*.hpp' -exec sed -i '/^\/\/ velc build stamp: /d' {} +
    fresh
}

fresh() {
    rm -rf "$scratch"
    mkdir -p "$scratch"
}

# Each program file, with the inputs and sources beside it that it includes.
programs() {
    local prefix=$1 dir=$2
    [ -d "$dir" ] || return 0
    for source in "$dir"/*.vel; do
        [ -e "$source" ] || continue
        cp "$dir"/*.vel "$scratch/"
        translate "$prefix/$(basename "$source" .vel)" "$(basename "$source")"
    done
}

# The cases of a translation case file: "== Name" opens a case, its source
# runs to a line "--", "-- file NAME" starts another source beside prog.vel,
# and "|N* text" stands for N copies of the text.
case_file() {
    local file=$1 label
    label=$(basename "$file" .txt)
    awk -v scratch="$scratch" -v into="$out/.cases/$label" '
        function flush() { if (name != "") close(path) }
        /^== / { flush(); name = substr($0, 4); gsub(/\./, "_", name);
                 dir = into "/" name; system("mkdir -p \"" dir "\""); path = dir "/prog.vel";
                 printf "" > path; inSource = 1; next }
        name == "" { next }
        inSource && $0 == "--" { inSource = 0; next }
        inSource && /^-- file / { close(path); path = dir "/" substr($0, 9); printf "" > path; next }
        inSource && /^\|[0-9]+\* / {
            star = index($0, "* "); times = substr($0, 2, star - 2) + 0; text = substr($0, star + 2)
            for (i = 0; i < times; i++) {
                one = text; gsub(/\\n/, "\n", one)
                gsub(/\{i\+1\}/, i + 1, one); gsub(/\{i\}/, i, one)
                print one >> path
            }
            next }
        inSource { print >> path }
    ' "$file"
    for dir in "$out/.cases/$label"/*/; do
        [ -d "$dir" ] || continue
        cp "$dir"/* "$scratch/"
        translate "translation/$label/$(basename "$dir")"
    done
}

# The guide's programs: a "vel" block with a file name is a source beside the
# next unnamed block, which is the program.
guide() {
    local markdown=$1 label
    label=$(basename "$markdown" .md)
    awk -v into="$out/.guide/$label" '
        /^```/ && !open && length($0) > 3 {
            head = substr($0, 4); kind = head; arg = ""
            if (index(head, " ")) { kind = substr(head, 1, index(head, " ") - 1); arg = substr(head, index(head, " ") + 1) }
            gsub(/^ +| +$/, "", arg)
            open = 1
            if (kind == "vel") {
                if (arg == "") { count++; dir = into "/example_" count; system("mkdir -p \"" dir "\"")
                                 for (n in pending) system("mv \"" pending[n] "\" \"" dir "/\"")
                                 delete pending; path = dir "/prog.vel" }
                else { system("mkdir -p \"" into "/pending\""); path = into "/pending/" arg; pending[arg] = path }
                printf "" > path
            } else path = ""
            next }
        open && $0 == "```" { open = 0; if (path != "") close(path); next }
        open && path != "" { print >> path }
    ' "$markdown"
    for dir in "$out/.guide/$label"/example_*/; do
        [ -d "$dir" ] || continue
        cp "$dir"/* "$scratch/"
        translate "guide/$label/$(basename "$dir")"
    done
}

fresh
for file in "$root"/tests/translation/cases/*.txt; do case_file "$file"; done
for markdown in "$root"/docs/*.md; do guide "$markdown"; done
programs e2e "$root/tests/e2e/programs"
programs faults "$root/tests/e2e/faults"
programs sanitized "$root/tests/e2e/sanitized"
programs web "$root/tests/web/programs"
programs examples "$root/examples"
programs bench "$root/bench/programs"
rm -rf "$out/.cases" "$out/.guide" "$scratch"
echo "translated $(find "$out" -name report.txt | wc -l) programs into $out"
