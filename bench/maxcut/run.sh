#!/usr/bin/env bash
# maxcut with an n×n matrix (default 3000: 9 million elements) piped in a row
# per line. Usage: bench/maxcut/run.sh [build-dir]; N=... sets the size.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build/maxcut-rel}
n=${N:-3000}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target maxcut >/dev/null

mkdir -p "$root/bench/out"
input=$root/bench/out/maxcut-$n.txt
[ -s "$input" ] || python3 "$here/gen.py" "$n" >"$input"

echo "maxcut: n = $n, $((n * n)) elements, $(wc -c <"$input") bytes of input, a row per line"
/usr/bin/time -f 'maxcut: %e s wall, %U s user, %M KB peak' "$build/bin/maxcut" <"$input" >/dev/null
