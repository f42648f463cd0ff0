#!/bin/bash
# bench/lsp_update.sh [build-directory]: the time from an edit of a 2,000-line
# source to velc-lsp's diagnostics for it (bench/lsp_update.mjs), with the
# machine's load beside it. Needs the server's and the tests' npm packages
# in the build directory (setup.sh test installs them).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# 100 blocks of 20 lines.
awk -v blocks=100 -f "$here/program_generator.awk" > "$work/edited.vel"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
node "$here/lsp_update.mjs" "$build/velc" "$here/../editors/vscode/server/server.js" \
    "$build/lsp/node_modules" "$build/lsp-test/node_modules" "$work/edited.vel"
# The processor time of velc --index, which a busy machine does not stretch.
for run in 1 2 3 4 5 6 7 8 9 10 11; do
    (cd "$work" && /usr/bin/time -f '%U %S' "$build/velc" --index edited.vel 2>&1 >/dev/null)
done | awk '{ printf "%d\n", ($1 + $2) * 1000 }' | sort -n |
    awk '{ t[NR] = $1 } END { printf "velc --index processor time: %d ms (median of %d)\n", t[int((NR + 1) / 2)], NR }'
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
