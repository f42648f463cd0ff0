#!/bin/bash
# Translation time (velc -q -b -c) of programs that grow one kind of table:
# many functions, functions each calling the next, one long method chain, a
# chain of different methods, one long chain of subscripts, a class with
# many attributes, a class with many methods, many undeclared names, many
# names each misspelt once (whose messages ask for the closest name), and
# lines that each fail: stray closing words, stray brackets, a misspelt
# keyword (each message asks whether its line already had one), and lines
# of other languages. KINDS="foreign heads" runs those kinds only. Each
# size is run at 4,000 and 16,000: a lookup that stays constant gives a
# ratio near 4, a linear one near 16. Last, a main source including many
# sources (1,000 and 4,000 files, whose creation the file system makes
# somewhat slower than linear). Usage: bench/lookup_scaling.sh [build-directory]
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
source "$here/median_time.sh"
runs=${RUNS:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

functions() { for ((i = 0; i < $1; i++)); do printf 'int f%d(int v)\nreturn v + 1\n' $i; done; }
calling() {
    printf 'int f0(int v)\nreturn v\n'
    for ((i = 1; i < $1; i++)); do printf 'int f%d(int v)\nreturn f%d(v)\n' $i $((i - 1)); done
}
chain() { printf 'text s = " a "\ntext t = s'; for ((i = 0; i < $1; i++)); do printf '.trim()'; done; printf '\nprint t\n'; }
mixed() { printf 'text s = " a "\ntext t = s'; for ((i = 0; i < $1 / 4; i++)); do printf '.trim().upper().lower().replace("a", "b")'; done; printf '\nprint t\n'; }
subscripts() { printf 'array a = [1]\nvar t = a'; for ((i = 0; i < $1; i++)); do printf '[0]'; done; printf '\nprint t\n'; }
attributes() { printf 'class C\n'; for ((i = 0; i < $1; i++)); do printf '    int a%d = %d\n' $i $i; done; printf '/class\n'; }
methods() { printf 'class C\n'; for ((i = 0; i < $1; i++)); do printf '    int m%d(int v)\n    return v + %d\n' $i $i; done; printf '/class\n'; }
# A folder of sources: prog.vel includes lib0.vel ... each defining a function.
includes() {
    rm -rf "$2" && mkdir "$2"
    for ((i = 0; i < $1; i++)); do
        printf 'int f%d(int v)\nreturn v + %d\n' $i $i > "$2/lib$i.vel"
        printf 'include lib%d.vel\n' $i
    done > "$2/prog.vel"
    printf 'print f0(1)\n' >> "$2/prog.vel"
}
undeclared() { for ((i = 0; i < $1; i++)); do printf 'print u%d\n' $i; done; }
# Names declared and then each used with two neighbouring letters swapped:
# every use asks which declared name it is close to ("did you mean").
# Random letters, with the number in letters at the end to keep them apart.
hinted() {
    awk -v n=$1 'BEGIN { s = 12345; a = "abcdefghijklmnopqrstuvwxyz"
        for (i = 0; i < n; i++) {
            w = "v"
            for (k = 0; k < 6; k++) { s = (s * 1103515245 + 12345) % 2147483648; w = w substr(a, int(s / 65536) % 26 + 1, 1) }
            for (k = i; k > 0 || length(w) < 10; k = int(k / 26)) w = w substr(a, k % 26 + 1, 1)
            name[i] = w
            printf "int %s = %d\n", w, i
        }
        for (i = 0; i < n; i++) {
            w = name[i]; p = substr(w, 3, 1) == substr(w, 4, 1) ? 5 : 3
            printf "print %s\n", substr(w, 1, p - 1) substr(w, p + 1, 1) substr(w, p, 1) substr(w, p + 2)
        } }'
}
closers() { for ((i = 0; i < $1; i++)); do printf '/if\n'; done; }
brackets() { for ((i = 0; i < $1; i++)); do printf ')\n'; done; }
misspelt() { for ((i = 0; i < $1; i++)); do printf 'iff x > 1\n'; done; }
# What the hints learn of lines written as another language writes them:
# functions and their calls, block heads closed by `end`, `elsif` branches,
# and blocks never closed.
foreign() {
    for ((i = 0; i < $1; i++)); do printf 'def f%d(x):\n    return x\n' $i; done
    for ((i = 0; i < $1; i++)); do printf 'print f%d(1)\n' $i; done
}
heads() { printf 'int x = 1\n'; for ((i = 0; i < $1; i++)); do printf 'unless x > 1\n    print x\nend\n'; done; }
elsifs() { printf 'int x = 1\nif x = 0\n'; for ((i = 0; i < $1; i++)); do printf 'elsif x = %d\n    print x\n' $i; done; printf '/if\n'; }
unclosed() { printf 'int x = 1\n'; for ((i = 0; i < $1; i++)); do printf 'if x > %d\n' $i; done; }

printf '%-12s %10s %10s %7s\n' table 4000 16000 ratio
for kind in ${KINDS:-functions calling chain mixed subscripts attributes methods undeclared hinted closers brackets misspelt foreign heads elsifs unclosed}; do
    $kind 4000 > small.vel
    $kind 16000 > large.vel
    small=$(median_time "$build/velc" -q -b -c small 2> /dev/null)
    large=$(median_time "$build/velc" -q -b -c large 2> /dev/null)
    printf '%-12s %10s %10s %7.1f\n' $kind $small $large "$(awk "BEGIN { print $large / ($small > 0 ? $small : 0.001) }")"
done
[ -n "${KINDS:-}" ] && exit 0
includes 1000 few
includes 4000 many
small=$(median_time "$build/velc" -q -b -c few/prog)
large=$(median_time "$build/velc" -q -b -c many/prog)
printf '%-12s %10s %10s %7.1f   (1000 and 4000 sources)\n' includes $small $large "$(awk "BEGIN { print $large / ($small > 0 ? $small : 0.001) }")"
