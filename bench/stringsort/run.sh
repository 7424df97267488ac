#!/bin/sh
# Times stringsort on 200,000 lines sorted alphabetically and 20,000 lines
# sorted by sums, each beside the plain exchange sort (direct.cpp) on the same
# input, and checks that both give the same final listing.
#
#   bench/stringsort/run.sh [BUILD_DIR]      (default: build/stringsort-rel)
#
# The plain alphabetical exchange sort is quadratic: by default it runs on
# 20,000 lines and its time for 200,000 is estimated as 100 times that.
# DIRECT_FULL=1 runs it on the 200,000 lines as well (many minutes).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build/stringsort-rel}
out=$root/bench/out/stringsort
mkdir -p "$out"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target stringsort >/dev/null
program=$build/bin/stringsort
direct=$build/stringsort_direct
c++ -std=c++20 -O2 -o "$direct" "$here/direct.cpp"

python3 "$here/gen.py" 200000 64 a 1 >"$out/alpha-200k.in"
python3 "$here/gen.py" 20000 64 a 2 >"$out/alpha-20k.in"
python3 "$here/gen.py" 20000 64 b 3 >"$out/sums-20k.in"

# timed NAME COMMAND INPUT OUTPUT: runs one command, prints its time and memory.
timed() {
    /usr/bin/time -f "%e s (%U s user) %M KB" -o "$out/time" "$2" <"$3" >"$4"
    printf '  %-34s %s\n' "$1" "$(cat "$out/time")"
}

# same PROGRAM_OUTPUT DIRECT_OUTPUT: the program's final listing must be the
# direct sort's output.
same() {
    python3 - "$1" "$2" <<'PY'
import sys
question = b"po vozrastaniju sum.\n"
program = open(sys.argv[1], "rb").read()
direct = open(sys.argv[2], "rb").read()
listing = program[program.rindex(question) + len(question):]
print("  same final order:", "yes" if listing == direct else "NO")
sys.exit(0 if listing == direct else 1)
PY
}

echo "alphabetical, 200,000 lines of up to 63 characters:"
timed "stringsort" "$program" "$out/alpha-200k.in" "$out/alpha-200k.out"
if [ "${DIRECT_FULL:-0}" = 1 ]; then
    timed "exchange sort" "$direct" "$out/alpha-200k.in" "$out/alpha-200k.direct"
    same "$out/alpha-200k.out" "$out/alpha-200k.direct"
fi
echo "alphabetical, 20,000 lines:"
timed "stringsort" "$program" "$out/alpha-20k.in" "$out/alpha-20k.out"
timed "exchange sort" "$direct" "$out/alpha-20k.in" "$out/alpha-20k.direct"
same "$out/alpha-20k.out" "$out/alpha-20k.direct"
if [ "${DIRECT_FULL:-0}" != 1 ]; then
    seconds=$(cut -d' ' -f1 "$out/time")
    echo "  exchange sort on 200,000 lines, estimated: $(python3 -c "print(round($seconds * 100))") s"
fi
echo "by sums, 20,000 lines:"
timed "stringsort" "$program" "$out/sums-20k.in" "$out/sums-20k.out"
timed "exchange sort" "$direct" "$out/sums-20k.in" "$out/sums-20k.direct"
same "$out/sums-20k.out" "$out/sums-20k.direct"
