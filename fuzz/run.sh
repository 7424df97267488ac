#!/usr/bin/env bash
# Fuzzes every program's dialogue for a fixed time each.
#   fuzz/run.sh [SECONDS] [PROGRAM...]      (default: 60 s, all seven)
# Seeds come from the transcript tests; the corpus each run grows is kept in
# build/fuzz/corpus/PROGRAM/ for the next run, and fuzz/dict/PROGRAM.dict
# gives the fuzzer the answers each dialogue waits for. A finding (crash,
# hang, leak, undefined behaviour, running out of memory) stops that
# program's run, leaves the input that found it in build/fuzz/findings/PROGRAM/
# and makes the script fail.
#   FUZZ_JOBS=N   fuzz each program with N processes at once (default 1)
set -uo pipefail
cd "$(dirname "$0")/.."
top=$PWD
seconds=${1:-60}
shift || true
programs=("$@")
[ ${#programs[@]} -gt 0 ] || mapfile -t programs <programs.list

mkdir -p build/fuzz
targets=()
for p in "${programs[@]}"; do targets+=("${p}_fuzz"); done
if ! { cmake --preset fuzz && cmake --build --preset fuzz --target "${targets[@]}"; } >build/fuzz/build.log 2>&1; then
    cat build/fuzz/build.log
    echo "fuzz harnesses failed to build" >&2
    exit 1
fi

# Two little-endian bytes of length, the file, then what is typed.
with_file() {
    local file=$1 typed=$2 n
    n=$(stat -c %s "$file")
    [ "$n" -le 65535 ] || n=65535
    printf "\\x$(printf %02x $((n & 255)))\\x$(printf %02x $((n >> 8)))"
    head -c "$n" "$file"
    cat "$typed"
}

# studentdb makes each save durable with fsync: with the scratch directory of
# the file programs on a disk, that alone would slow their runs several times.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

status=0
for p in "${programs[@]}"; do
    # Absolute paths: the harnesses of the file programs work in a scratch directory.
    corpus=$top/build/fuzz/corpus/$p
    findings=$top/build/fuzz/findings/$p
    mkdir -p "$corpus" "$findings"
    for case_dir in tests/$p/cases/*/; do
        [ -f "$case_dir/stdin" ] || continue
        seed=$corpus/seed-$(basename "$case_dir")
        case $p in
        studentdb)
            if [ -f "$case_dir/before/students.dat" ]; then
                with_file "$case_dir/before/students.dat" "$case_dir/stdin" >"$seed"
            else
                { printf '\0\0'; cat "$case_dir/stdin"; } >"$seed"
            fi ;;
        linefind)
            name=$(head -n 1 "$case_dir/stdin")
            if [ -n "$name" ] && [ -f "$case_dir/before/$name" ]; then
                with_file "$case_dir/before/$name" "$case_dir/stdin" >"$seed"
            else
                { printf '\0\0'; cat "$case_dir/stdin"; } >"$seed"
            fi ;;
        *) cp "$case_dir/stdin" "$seed" ;;
        esac
    done
    echo "== $p: ${seconds} s"
    log=build/fuzz/$p.log
    extra=()
    [ -f "fuzz/dict/$p.dict" ] && extra+=(-dict="$top/fuzz/dict/$p.dict")
    [ "${FUZZ_JOBS:-1}" -gt 1 ] && extra+=(-fork="$FUZZ_JOBS")
    # A size typed by the fuzzer may ask for any amount of memory: above 1 GiB
    # the allocation fails as it would on a smaller machine, and the program
    # must cope with that.
    asan=detect_leaks=1:allocator_may_return_null=1:max_allocation_size_mb=1024
    ASAN_OPTIONS=$asan build/fuzz/bin/${p}_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -malloc_limit_mb=2048 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="$findings/" "${extra[@]}" "$corpus" >"$log" 2>&1
    rc=$?
    # The last status line holds the executions so far and their rate.
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
    [ -n "$runs" ] || runs=$(sed -E 's/^#([0-9]+).*/\1/' <<<"$last")
    [ -n "$rate" ] || rate=$(sed -nE 's/.*exec\/s: ([0-9]+).*/\1/p' <<<"$last")
    time=$(sed -nE 's/^Done [0-9]+ runs in ([0-9]+) second.*/\1/p' "$log")
    printf '   %s executions, %s exec/s, %s s, peak RSS %s MB, corpus %s inputs\n' \
        "${runs:-?}" "${rate:-?}" "${time:-$seconds}" "${rss:-?}" "$(ls "$corpus" | wc -l)"
    if [ $rc -ne 0 ]; then
        echo "   FINDING (exit $rc), see $log; the input is in $findings/:"
        grep -m 3 -E 'ERROR|SUMMARY|runtime error' "$log" | sed 's/^/     /'
        for f in $(grep -oE "Test unit written to [^ ]+" "$log" | sed 's/.* //'); do
            echo "     replay: ASAN_OPTIONS=$asan build/fuzz/bin/${p}_fuzz $f"
        done
        status=1
    fi
done
exit $status
