#!/usr/bin/env bash
# colinsert with an n×n matrix (default 999, the largest size it takes) and a
# column piped in a row per line, inserted in the middle.
# Usage: bench/colinsert/run.sh [build-dir]; N=... sets the size.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build/colinsert-rel}
n=${N:-999}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target colinsert >/dev/null

mkdir -p "$root/bench/out"
input=$root/bench/out/colinsert-$n.txt
[ -s "$input" ] || python3 "$here/gen.py" "$n" >"$input"

echo "colinsert: n = $n, $((n * n + n)) values, $(wc -c <"$input") bytes of input, a row per line"
/usr/bin/time -f 'colinsert: %e s wall, %U s user, %M KB peak' "$build/bin/colinsert" <"$input" >/dev/null
