#!/usr/bin/env bash
# studentdb with a students.dat of N records (default 1,000,000, 48 MB):
# each dialogue runs on a fresh copy, so a step's cost is its time minus the
# load's. Listings go to /dev/null.
# Usage: bench/studentdb/run.sh [build-dir]; N=... sets the record count.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build/studentdb-rel}
n=${N:-1000000}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target studentdb >/dev/null
program=$build/bin/studentdb

mkdir -p "$root/bench/out"
data=$root/bench/out/studentdb-$n.dat
[ -s "$data" ] || python3 "$here/gen.py" "$n" "$data"
work=$root/bench/out/studentdb-work
mkdir -p "$work"

echo "studentdb: $n records, $(wc -c <"$data") bytes of students.dat"
run() {
    local label=$1 input=$2
    cp "$data" "$work/students.dat"
    (cd "$work" && printf "$input" | /usr/bin/time -f "studentdb: $label: %e s wall, %U s user, %M KB peak" \
        "$program" >/dev/null)
}
run "load" '0\n'
run "load + listing" '6\n0\n'
run "load + sort by name + listing" '1\n0\n'
run "load + sort by street + listing" '2\n0\n'
run "load + save" '5\n0\n'
cmp -s "$data" "$work/students.dat" || { echo "studentdb: the saved file differs from the loaded one" >&2; exit 1; }
run "load + both sorts + listings + listing + save" '1\n2\n6\n5\n0\n'
rm -rf "$work"
