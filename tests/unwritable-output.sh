#!/usr/bin/env bash
# Standard output that cannot be written: every program says so once on
# standard error and ends with status 1, also when only the flush at the
# end of the run fails.
# Usage: unwritable-output.sh DIR PROGRAM... (DIR holds the programs)
set -u
bin=$1
shift
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
failures=0

# expect NAME: the last run ended with status 1 and one line on standard error.
expect() {
    local status=$1 name=$2 want="$2: cannot write standard output: $3"
    if [ "$status" -ne 1 ] || [ "$(cat err)" != "$want" ]; then
        echo "FAIL $name: status $status, standard error:"
        cat err
        failures=$((failures + 1))
    fi
}

if [ -w /dev/full ]; then
    for program in "$@"; do
        printf '1\n' | "$bin/$program" >/dev/full 2>err
        expect $? "$program" "No space left on device"
    done
else
    echo "no /dev/full here: full-disk runs skipped"
fi

# The last flush alone: the sort question is answered from the rest of a
# cut line, so nothing is written before the run ends, and then more than
# the file size limit allows. An ignored SIGXFSZ turns the limit into EFBIG.
line=$(head -c 700 /dev/zero | tr '\0' x)
printf '2\n600\n%s\n%s\n' "$line" "$line" >in
(trap '' XFSZ; ulimit -f 1; "$bin/stringsort" <in >out 2>err)
expect $? stringsort "File too large"

[ "$failures" -eq 0 ]
