#!/usr/bin/env bash
# Searches a 200 MB file of 10,000,000 Windows-1251 sentences for a rare
# word, a frequent word, two words and a word that is absent, and times
# `grep -F -c` on the same file and string beside each search.
#
#   bench/linefind/run.sh [BUILD_DIR]     (default: build/linefind-rel)
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/linefind-rel}
out=$root/bench/out
mkdir -p "$out"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target linefind >/dev/null
program=$build/bin/linefind

sentences=10000000
text=$out/linefind.txt
if [[ ! -f $text || $(cat "$out/linefind.count" 2>/dev/null) != "$sentences" ]]; then
    g++ -O2 -std=c++20 -o "$out/linefind-gen" "$root/bench/linefind/gen.cpp"
    "$out/linefind-gen" "$sentences" "$text"
    echo "$sentences" >"$out/linefind.count"
fi
echo "file: $sentences sentences, $(stat -c %s "$text") bytes"
cat "$text" >/dev/null # both programs then read it from the page cache

# Bytes are compared as they are: no locale conversion for either program.
export LC_ALL=C
# Runs a command three times and prints the fastest run: the machine may
# be shared, so the user and system times are shown as well.
best_of_3() {
    local label=$1 input=$2 output=$3
    shift 3
    local best="" run
    for _ in 1 2 3; do
        /usr/bin/time -o "$out/linefind.time" -f '%e %U %S %M' "$@" <"$input" >"$output" || true
        run=$(tail -1 "$out/linefind.time")
        if [[ -z $best ]] || awk -v a="${run%% *}" -v b="${best%% *}" 'BEGIN { exit !(a < b) }'; then
            best=$run
        fi
    done
    read -r wall user sys kb <<<"$best"
    printf '   %-11s %5s s wall (user %s s, sys %s s), peak %s KB\n' "$label" "$wall" "$user" "$sys" "$kb"
}

search() {
    local label=$1 str=$2
    printf '%s\n%s\nn\n' "$text" "$str" >"$out/linefind.stdin"
    echo "== $label"
    best_of_3 linefind "$out/linefind.stdin" "$out/linefind.report" "$program"
    # A report row ends with its count; a sentence that begins with a line
    # break spans two lines, of which only the second ends with a digit.
    echo "   distinct matching sentences: $(grep -c '[0-9]$' "$out/linefind.report" || true)"
    best_of_3 "grep -F -c" /dev/null "$out/linefind.grep" grep -F -c -- "$str" "$text"
    echo "   matching lines (grep): $(cat "$out/linefind.grep")"
}

# Windows-1251 bytes of the searched strings.
search "rare word (сокол)" $'\xF1\xEE\xEA\xEE\xEB'
search "frequent word (вода)" $'\xE2\xEE\xE4\xE0'
search "two words (мост небо)" $'\xEC\xEE\xF1\xF2\x20\xED\xE5\xE1\xEE'
search "absent, common letters (мостик)" $'\xEC\xEE\xF1\xF2\xE8\xEA'
search "absent, letters not in the file (жираф)" $'\xE6\xE8\xF0\xE0\xF4'
