#!/usr/bin/env bash
# Every transcript case once more with each program under Valgrind's
# memcheck: any invalid access, use of an undefined value or leak fails the
# case (the wrapped program then ends with status 9).
#
#   tests/valgrind-check.sh [BUILD_DIR [JOBS]]
# BUILD_DIR is a release build holding the programs in bin/ and
# transcript_runner in tests/bin/ (default build/release); JOBS the cases
# run at once (default 2).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$source_dir/build/release}")
jobs=${2:-2}
if ! command -v valgrind >/dev/null; then
    echo "valgrind not installed" >&2
    exit 1
fi
runner=$build/tests/bin/transcript_runner
[ -x "$runner" ] || { echo "no $runner: build first" >&2; exit 1; }

wrappers=$(mktemp -d "${TMPDIR:-/tmp}/valgrind-check.XXXXXX")
trap 'rm -rf "$wrappers"' EXIT
mapfile -t programs <"$source_dir/programs.list"
for program in "${programs[@]}"; do
    cat >"$wrappers/$program" <<WRAP
#!/bin/sh
exec valgrind --quiet --leak-check=full --show-leak-kinds=all --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=9 "$build/bin/$program" "\$@"
WRAP
    chmod +x "$wrappers/$program"
done

export runner wrappers
# One line per case: "ok NAME" or "FAIL NAME" followed by the runner's report.
check_case() {
    local dir=$1 program name report
    program=$(basename "$(dirname "$(dirname "$dir")")")
    name=$program/$(basename "$dir")
    if report=$("$runner" "$wrappers/$program" "$dir" 2>&1); then
        echo "ok $name"
    else
        printf 'FAIL %s\n%s\n' "$name" "$report"
    fi
}
export -f check_case

results=$(for program in "${programs[@]}"; do
    for dir in "$source_dir/tests/$program/cases"/*/; do echo "${dir%/}"; done
done | xargs -P "$jobs" -I{} bash -c 'check_case "$1"' _ {})
passed=$(grep -c '^ok ' <<<"$results" || true)
failed=$(grep -c '^FAIL ' <<<"$results" || true)
grep -v '^ok ' <<<"$results" || true
echo "valgrind: $passed cases clean, $failed failed"
[ "$failed" -eq 0 ]
