#!/bin/sh
# A native debug build: gdb stops at a breakpoint set on a Velmora line and
# names the .vel file as the place it stopped at.
#   gdb_breakpoint.sh <velc> <velc-native.ini> <scratch directory>
set -eu
velc=$1 ini=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
cp "$velc" "$work/velc"
# The debug build the README shows: -g, and no optimisation.
sed -e '/^options=/s/ -O[0-9sz]*//g' -e 's/^options=/options=-g -O0 /' "$ini" > "$work/velc.ini"
cat > "$work/prog.vel" <<'VEL'
int twice(int n)
    int doubled = n * 2
return doubled

int total = 0
for i in 1..3
    total = total + twice(i)
/for
print total
VEL
cd "$work"
./velc -q -b -e prog.vel > build.log 2>&1 || { cat build.log; exit 1; }
gdb -q -batch -nx -ex 'break prog.vel:2' -ex run -ex 'info line' -ex 'next' -ex 'info line' \
    ./prog.wasm > gdb.log 2>&1 || true
cat gdb.log
grep -q '^Breakpoint 1 at .*: file .*prog\.vel, line 2\.' gdb.log
grep -q '^Breakpoint 1, twice' gdb.log
grep -q '^Line 2 of ".*prog\.vel"' gdb.log
grep -q '^Line 3 of ".*prog\.vel"' gdb.log
echo "gdb stopped at prog.vel:2 and stepped to prog.vel:3"
