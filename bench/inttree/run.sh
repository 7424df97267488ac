#!/usr/bin/env bash
# Times inttree on large piped dialogues: values added through the menu, then
# every view printed to /dev/null.
#   run.sh [BUILD_DIR]   (default: build/inttree-rel in the repository)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
build="${1:-$repo/build/inttree-rel}"
out="$repo/bench/out"
mkdir -p "$out"

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target inttree >/dev/null
program="$build/bin/inttree"

run() {
    local name="$1" input="$2"
    local lines
    lines=$(wc -l <"$input")
    printf '%-48s %9d lines typed: ' "$name" "$lines"
    /usr/bin/time -f '%e s %M KB' "$program" <"$input" >/dev/null
}

python3 "$here/gen.py" random 1000000 1 >"$out/inttree-random-1m.txt"
python3 "$here/gen.py" sorted 100000 >"$out/inttree-sorted-100k.txt"

run "1,000,000 random values, four views" "$out/inttree-random-1m.txt"
# Sideways, a chain prints value k after 2k spaces: about 10 GB for this one.
run "100,000 sorted values (a chain), four views" "$out/inttree-sorted-100k.txt"
