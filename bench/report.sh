#!/usr/bin/env bash
# One benchmark report for the seven programs: builds them in release mode,
# generates the inputs (bench/out/report/, kept between runs), runs each
# program's workload and prints a Markdown table of wall time, user CPU time
# and peak memory. Beside each workload stands the time of the direct
# transcription of the dialogue's quadratic or cubic step (bench/<prog>/
# direct.cpp, compiled here with -O2), on the same input or, where it would
# take far too long, on a smaller one; its time at the full size is then
# extrapolated and marked as such.
#
#   bench/report.sh [--quick] [BUILD_DIR]     (default: build/bench)
#
# --quick shrinks every workload about tenfold (a check that the report
# works, not figures to quote). The machine may be shared: user time is the
# fairer figure when wall time is much larger.
set -euo pipefail

quick=0
if [[ ${1:-} == --quick ]]; then
    quick=1
    shift
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
out=$root/bench/out/report
mkdir -p "$out"
export LC_ALL=C # bytes as they are: no conversion of typed lines or output

log() { printf '%s\n' "$*" >&2; }

# ---- build -----------------------------------------------------------------
programs=(inttree countout studentdb linefind stringsort colinsert maxcut)
log "building the programs (release) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target "${programs[@]}" >/dev/null
bin=$build/bin
mkdir -p "$build/direct"
for p in "${programs[@]}"; do
    if [[ -f $root/bench/$p/direct.cpp ]]; then
        c++ -std=c++20 -O2 -o "$build/direct/$p" "$root/bench/$p/direct.cpp"
    fi
done
direct=$build/direct
c++ -std=c++20 -O2 -o "$build/direct/linefind-gen" "$root/bench/linefind/gen.cpp"

# ---- sizes -----------------------------------------------------------------
if ((quick)); then
    tree_n=100000 chain_n=10000 chain_direct=3000
    ring_n=100000 ring_direct=1000 ring_direct_step=100003
    students=100000 students_direct=5000
    sentences=1000000 sentences_direct=20000
    alpha_n=20000 alpha_direct=5000 sums_n=5000
    col_n=300 cut_n=1000 cut_direct=500
else
    tree_n=1000000 chain_n=100000 chain_direct=10000
    ring_n=1000000 ring_direct=1000 ring_direct_step=1000007
    students=1000000 students_direct=20000
    sentences=10000000 sentences_direct=100000
    alpha_n=200000 alpha_direct=10000 sums_n=20000
    col_n=999 cut_n=3000 cut_direct=3000
fi
ring_step=1000000007

# ---- helpers ---------------------------------------------------------------
# gen FILE COMMAND...: writes COMMAND's output to FILE unless FILE is already
# there and newer than the generators (they are seeded, so a kept file is the
# same file).
gen() {
    local file=$1
    shift
    if [[ -s $file ]] && ! find "$root/bench" -name 'gen.*' -newer "$file" | grep -q .; then
        return
    fi
    log "generating $(basename "$file")"
    "$@" >"$file.tmp"
    mv "$file.tmp" "$file"
}

# timed INPUT OUTPUT COMMAND...: runs COMMAND once and prints "wall user KB".
timed() {
    local input=$1 output=$2
    shift 2
    /usr/bin/time -o "$out/time" -f '%e %U %M' "$@" <"$input" >"$output" || true
    tail -1 "$out/time"
}

rows=()
# row PROGRAM WORKLOAD "wall user KB" DIRECT_STEP DIRECT_SIZE "wall user KB"|- FULL_SIZE SAME
row() {
    local program=$1 workload=$2 measured=$3 step=$4 size=$5 dmeasured=$6 full=$7 same=$8
    local wall user kb dwall="" duser=""
    read -r wall user kb <<<"$measured"
    if [[ $dmeasured != - ]]; then
        read -r dwall duser _ <<<"$dmeasured"
    fi
    rows+=("| $program | $workload | $wall | $user | $(awk -v k="$kb" 'BEGIN { printf "%.1f", k / 1024 }') | $step | $size | ${dwall:--} | ${duser:--} | $full | $same |")
    log "  $program: $workload: $measured${dwall:+ / direct $dwall $duser}"
}

# extrapolated SECONDS FACTOR: "≈ N s (×F, extrapolated)".
extrapolated() {
    python3 - "$1" "$2" <<'PY'
import sys
s, f = float(sys.argv[1]), float(sys.argv[2])
t = s * f
when = f"{t:,.0f} s" if t < 3 * 3600 else (f"{t / 3600:,.1f} h" if t < 3 * 86400 else f"{t / 86400:,.0f} days")
print(f"≈ {when} user (×{f:,.4g} of the user time, extrapolated)")
PY
}

same_file() { cmp -s "$1" "$2" && echo yes || echo NO; }
# section FILE START [END]: the bytes of FILE after the last START, up to the
# first END after it (to the end when END is absent or not found).
section() {
    python3 - "$@" <<'PY'
import os, sys
data = open(sys.argv[1], "rb").read()
start = os.fsencode(sys.argv[2])
at = data.rindex(start) + len(start) if start in data else len(data)
rest = data[at:]
end = os.fsencode(sys.argv[3]) if len(sys.argv) > 3 else b""
if end and end in rest:
    rest = rest[: rest.index(end)]
sys.stdout.buffer.write(rest)
PY
}
user_of() { read -r _ u _ <<<"$1" && echo "$u"; }
num() { sed ':a;s/\B[0-9]\{3\}\>/,&/;ta' <<<"$1"; }

# ---- inttree -----------------------------------------------------------------
log "inttree"
gen "$out/inttree-random-$tree_n.txt" python3 "$root/bench/inttree/gen.py" random "$tree_n" 1
gen "$out/inttree-chain-$chain_n.txt" python3 "$root/bench/inttree/gen.py" sorted "$chain_n"
gen "$out/inttree-chain-$chain_direct.txt" python3 "$root/bench/inttree/gen.py" sorted "$chain_direct"
m=$(timed "$out/inttree-random-$tree_n.txt" /dev/null "$bin/inttree")
d=$(timed "$out/inttree-random-$tree_n.txt" /dev/null "$direct/inttree")
row inttree "$(num "$tree_n") random values added through the menu, four views to /dev/null" "$m" \
    "descent from the root for every value; recursive views" "same" "$d" "measured" -
m=$(timed "$out/inttree-chain-$chain_n.txt" /dev/null "$bin/inttree")
d=$(timed "$out/inttree-chain-$chain_direct.txt" /dev/null "$direct/inttree")
factor=$(((chain_n / chain_direct) * (chain_n / chain_direct)))
row inttree "$(num "$chain_n") sorted values (a chain, $(num $((chain_n * (chain_n + 1))))-byte sideways view), four views" "$m" \
    "descent from the root for every value; recursive views" "$(num "$chain_direct")-node chain" "$d" \
    "$(extrapolated "$(user_of "$d")" "$factor")" -

# ---- countout ----------------------------------------------------------------
log "countout"
for direction in r l; do
    start=1
    [[ $direction == l ]] && start=$((ring_n / 2))
    dstart=1
    [[ $direction == l ]] && dstart=$((ring_direct / 2))
    gen "$out/countout-$ring_n-$direction.txt" python3 "$root/bench/countout/gen.py" "$ring_n" "$start" "$ring_step" "$direction"
    gen "$out/countout-$ring_direct-$ring_direct_step-$direction.txt" \
        python3 "$root/bench/countout/gen.py" "$ring_direct" "$dstart" "$ring_direct_step" "$direction"
    m=$(timed "$out/countout-$ring_n-$direction.txt" /dev/null "$bin/countout")
    small=$out/countout-$ring_direct-$ring_direct_step-$direction.txt
    d=$(timed "$small" "$out/countout.direct" "$direct/countout")
    "$bin/countout" <"$small" | grep -a -o 'Za podmogoy idet: [^ ]*' >"$out/countout.program" || true
    factor=$(python3 -c "print(($ring_n - 1) * ($ring_step - 1) / (($ring_direct - 1) * ($ring_direct_step - 1)))")
    row countout "$(num "$ring_n") soldiers, start $(num "$start"), step $(num "$ring_step"), direction $direction" "$m" \
        "single moves round the ring, step − 1 per soldier out" \
        "$(num "$ring_direct") soldiers, start $(num "$dstart"), step $(num "$ring_direct_step")" "$d" \
        "$(extrapolated "$(user_of "$d")" "$factor"); more, as the full ring leaves the cache" \
        "$(same_file "$out/countout.program" "$out/countout.direct")"
done

# ---- studentdb ---------------------------------------------------------------
log "studentdb"
gen "$out/studentdb-$students.dat" python3 "$root/bench/studentdb/gen.py" "$students" /dev/stdout
gen "$out/studentdb-$students_direct.dat" python3 "$root/bench/studentdb/gen.py" "$students_direct" /dev/stdout
work=$out/studentdb-work
mkdir -p "$work"
printf '1\n2\n6\n5\n0\n' >"$out/studentdb.in"
cp "$out/studentdb-$students.dat" "$work/students.dat"
m=$(cd "$work" && timed "$out/studentdb.in" /dev/null "$bin/studentdb")
# The same dialogue and the direct sorts on the smaller file: the saved files
# must hold the same order.
cp "$out/studentdb-$students_direct.dat" "$work/students.dat"
(cd "$work" && "$bin/studentdb" <"$out/studentdb.in" >/dev/null)
mv "$work/students.dat" "$out/studentdb.program"
cp "$out/studentdb-$students_direct.dat" "$work/students.dat"
d=$(cd "$work" && timed /dev/null /dev/null "$direct/studentdb")
factor=$(((students / students_direct) * (students / students_direct)))
row studentdb "$(num "$students") records: load, sort by name, by street, listing (all to /dev/null), save" "$m" \
    "bubble sorts by first letter, one record exchanged at a time" "$(num "$students_direct") records" "$d" \
    "$(extrapolated "$(user_of "$d")" "$factor")" "$(same_file "$out/studentdb.program" "$work/students.dat")"
rm -rf "$work"

# ---- linefind ----------------------------------------------------------------
log "linefind"
text=$out/linefind-$sentences.txt
small=$out/linefind-$sentences_direct.txt
[[ -s $text && $text -nt $root/bench/linefind/gen.cpp ]] || "$direct/linefind-gen" "$sentences" "$text"
[[ -s $small && $small -nt $root/bench/linefind/gen.cpp ]] || "$direct/linefind-gen" "$sentences_direct" "$small"
size_mb=$(($(stat -c %s "$text") / 1000000))
cat "$text" >/dev/null # every reader then finds it in the page cache
# Rows of a report (program or direct): lines that end with a count.
report_rows() { grep -a -c '[0-9]$' "$1" || true; }
# same_rows PROGRAM_OUTPUT DIRECT_OUTPUT: the program's report rows (after the
# header, up to the next question) must be the direct search's output.
same_rows() {
    cmp -s <(section "$1" $'\xF2\xE0\xEA\xE8\xF5 \xF1\xF2\xF0\xEE\xEA\n' $'\xCF\xF0\xEE\xE4\xEE\xEB\xE6\xE8\xF2\xFC') "$2" &&
        echo "yes ($(num "$(report_rows "$2")") rows)" || echo NO
}
# Matching sentences in a report: the sum of its counts.
report_matches() { LC_ALL=C awk '/[0-9]$/ { s += $NF } END { print s + 0 }' "$1"; }
for word in rare frequent; do
    if [[ $word == rare ]]; then
        str=$'\xF1\xEE\xEA\xEE\xEB' label="rare word (сокол)"
    else
        str=$'\xE2\xEE\xE4\xE0' label="frequent word (вода)"
    fi
    printf '%s\n%s\nn\n' "$text" "$str" >"$out/linefind.in"
    m=$(timed "$out/linefind.in" "$out/linefind.program" "$bin/linefind")
    found=$(report_rows "$out/linefind.program")
    if [[ $word == rare ]]; then
        d=$(timed "$out/linefind.in" "$out/linefind.direct" "$direct/linefind")
        dsize="same" full="measured"
        same=$(same_rows "$out/linefind.program" "$out/linefind.direct")
    else
        printf '%s\n%s\nn\n' "$small" "$str" >"$out/linefind-small.in"
        d=$(timed "$out/linefind-small.in" "$out/linefind.direct" "$direct/linefind")
        matches=$(report_matches "$out/linefind.program")
        "$bin/linefind" <"$out/linefind-small.in" >"$out/linefind.program"
        dsize="first $(num "$sentences_direct") sentences"
        # Each matching sentence walks up to the whole list of distinct ones.
        factor=$(python3 -c "print($matches * $found / ($(report_matches "$out/linefind.program") * $(report_rows "$out/linefind.program")))")
        full="$(extrapolated "$(user_of "$d")" "$factor"), rough: matches × distinct sentences ($(num "$matches") × $(num "$found") at the full size)"
        same=$(same_rows "$out/linefind.program" "$out/linefind.direct")
    fi
    row linefind "$(num "$sentences") sentences (${size_mb} MB), $label" "$m" \
        "list walked from the head at every insertion; substring compared position by position" "$dsize" "$d" "$full" "$same"
    g=$(timed /dev/null "$out/linefind.grep" grep -F -c -- "$str" "$text")
    row "grep -F -c" "the same file and string ($(num "$(cat "$out/linefind.grep")") matching lines)" "$g" - - - - -
done

# ---- stringsort --------------------------------------------------------------
log "stringsort"
gen "$out/stringsort-alpha-$alpha_n.txt" python3 "$root/bench/stringsort/gen.py" "$alpha_n" 64 a 1
gen "$out/stringsort-alpha-$alpha_direct.txt" python3 "$root/bench/stringsort/gen.py" "$alpha_direct" 64 a 2
gen "$out/stringsort-sums-$sums_n.txt" python3 "$root/bench/stringsort/gen.py" "$sums_n" 64 b 3
question="po vozrastaniju sum.
"
m=$(timed "$out/stringsort-alpha-$alpha_n.txt" /dev/null "$bin/stringsort")
d=$(timed "$out/stringsort-alpha-$alpha_direct.txt" "$out/stringsort.direct" "$direct/stringsort")
"$bin/stringsort" <"$out/stringsort-alpha-$alpha_direct.txt" >"$out/stringsort.program"
factor=$(((alpha_n / alpha_direct) * (alpha_n / alpha_direct)))
row stringsort "$(num "$alpha_n") lines of up to 63 characters, alphabetically" "$m" \
    "exchange sort, keys found afresh for every comparison" "$(num "$alpha_direct") lines" "$d" \
    "$(extrapolated "$(user_of "$d")" "$factor")" "$(cmp -s <(section "$out/stringsort.program" "$question") "$out/stringsort.direct" && echo yes || echo NO)"
m=$(timed "$out/stringsort-sums-$sums_n.txt" "$out/stringsort.program" "$bin/stringsort")
d=$(timed "$out/stringsort-sums-$sums_n.txt" "$out/stringsort.direct" "$direct/stringsort")
row stringsort "$(num "$sums_n") lines of up to 63 characters, by sums" "$m" \
    "exchange sort by sums" "same" "$d" "measured" \
    "$(cmp -s <(section "$out/stringsort.program" "$question") "$out/stringsort.direct" && echo yes || echo NO)"

# ---- colinsert ---------------------------------------------------------------
log "colinsert"
gen "$out/colinsert-$col_n.txt" python3 "$root/bench/colinsert/gen.py" "$col_n"
m=$(timed "$out/colinsert-$col_n.txt" "$out/colinsert.program" "$bin/colinsert")
d=$(timed "$out/colinsert-$col_n.txt" "$out/colinsert.direct" "$direct/colinsert")
same=$(cmp -s <(section "$out/colinsert.program" "Rezultat:" "
Return?") <(section "$out/colinsert.direct" "Rezultat:") && echo yes || echo NO)
row colinsert "n = $col_n ($(num $((col_n * col_n + col_n))) values piped), column inserted in the middle" "$m" \
    "column-by-column shifting, each column through every row" "same" "$d" "measured" "$same"

# ---- maxcut ------------------------------------------------------------------
log "maxcut"
gen "$out/maxcut-$cut_n.txt" python3 "$root/bench/maxcut/gen.py" "$cut_n"
gen "$out/maxcut-$cut_direct.txt" python3 "$root/bench/maxcut/gen.py" "$cut_direct"
m=$(timed "$out/maxcut-$cut_n.txt" /dev/null "$bin/maxcut")
d=$(timed "$out/maxcut-$cut_direct.txt" "$out/maxcut.direct" "$direct/maxcut")
"$bin/maxcut" <"$out/maxcut-$cut_direct.txt" >"$out/maxcut.program"
if ((cut_direct == cut_n)); then
    dsize=same full=measured
else
    dsize="n = $cut_direct"
    full=$(extrapolated "$(user_of "$d")" "$(((cut_n / cut_direct) ** 3))")
fi
row maxcut "n = $cut_n ($(num $((cut_n * cut_n))) elements piped)" "$m" \
    "column taken out entry by entry, every later entry moved once per row" "$dsize" "$d" "$full" \
    "$(cmp -s <(section "$out/maxcut.program" "Rezyltat:") <(section "$out/maxcut.direct" "Rezyltat:") && echo yes || echo NO)"

# ---- the table ---------------------------------------------------------------
echo "| Program | Workload | Wall s | User s | Peak MB | Direct transcription of the step | Direct size | Direct wall s | Direct user s | Direct at the full size | Same result |"
echo "|---|---|--:|--:|--:|---|---|--:|--:|---|---|"
printf '%s\n' "${rows[@]}"
