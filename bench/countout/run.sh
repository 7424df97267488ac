#!/usr/bin/env bash
# countout benchmark: 1,000,000 soldiers counted out with step 1,000,000,007,
# once in each direction, the names piped in.
#   bench/countout/run.sh [BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
build="${1:-$repo/build/countout-rel}"
out="$repo/bench/out"
mkdir -p "$out"

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target countout >/dev/null
program="$build/bin/countout"

soldiers=1000000
step=1000000007
for direction in r l; do
    start=1
    [ "$direction" = l ] && start=500000
    input="$out/countout-$direction.in"
    python3 "$here/gen.py" "$soldiers" "$start" "$step" "$direction" >"$input"
    echo "== $soldiers soldiers, start $start, step $step, direction $direction ($(wc -c <"$input") bytes typed)"
    cat "$input" | /usr/bin/time -o "$out/countout-$direction.time" -f '%e s wall, %U s user, %M KB peak' \
        "$program" >"$out/countout-$direction.out"
    cat "$out/countout-$direction.time"
    grep -a 'Za podmogoy idet' "$out/countout-$direction.out"
done

# Direction r from soldier 1 must name soldier J(n) + 1 of the recurrence
# J(1) = 0, J(m) = (J(m-1) + step) mod m.
python3 - "$soldiers" "$step" <<'PY'
import sys
n, k = int(sys.argv[1]), int(sys.argv[2])
j = 0
for m in range(2, n + 1):
    j = (j + k) % m
print(f"recurrence for direction r: s{j + 1:07d}")
PY
