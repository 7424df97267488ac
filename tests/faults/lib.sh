# Shared helpers of the fault tests: the program runs as a process in a
# fresh directory with the fault library preloaded and FAULT naming the fault.
#
#   source lib.sh PROGRAM SHIM
#   fault_run FAULT INPUT_FILE   runs PROGRAM in $WORK; sets $OUT and $STATUS
#   fail MESSAGE                records a failure (the script ends with 1)
#
# A sanitizer runtime must come first among the preloaded libraries, so a
# program built with one gets it preloaded ahead of the shim.
set -u
PROGRAM=$(realpath "$1")
SHIM=$(realpath "$2")
ROOT=$(mktemp -d "${TMPDIR:-/tmp}/faulttest.XXXXXX")
trap 'rm -rf "$ROOT"' EXIT
WORK=$ROOT/work
OUT=$ROOT/stdout
STATUS=0
FAILURES=0
export LC_ALL=C
PRELOAD=
for runtime in $(ldd "$PROGRAM" | awk '/libasan\.so/ {print $3}') $(ldd "$PROGRAM" | awk '/libubsan\.so/ {print $3}'); do
    PRELOAD=$PRELOAD$runtime:
done
PRELOAD=$PRELOAD$SHIM
# Sanitizer reports go to the test log; a report fails the run with status 86.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}:exitcode=86
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}:halt_on_error=1:exitcode=86

fresh_work() {
    rm -rf "$WORK"
    mkdir -p "$WORK"
}

fault_run() {
    local fault=$1 input=$2
    set +e
    (cd "$WORK" && FAULT=$fault LD_PRELOAD=$PRELOAD exec "$PROGRAM" <"$input" >"$OUT")
    STATUS=$?
    set -e
}

fail() {
    echo "FAIL: $*" >&2
    FAILURES=$((FAILURES + 1))
}

# An extended attribute user.comment set on a file and read back, as
# `setfattr -n user.comment -v "group 7"` and `getfattr` do:
# python3 -c "$SET_COMMENT" FILE, python3 -c "$GET_COMMENT" FILE.
SET_COMMENT='import os, sys; os.setxattr(sys.argv[1], "user.comment", b"group 7")'
GET_COMMENT='import os, sys; print(os.getxattr(sys.argv[1], "user.comment").decode())'

# The names of the files in $WORK, one per line, sorted.
work_files() { (cd "$WORK" && ls -A | LC_ALL=C sort); }

finish() {
    if [ "$FAILURES" -ne 0 ]; then
        echo "$FAILURES check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
