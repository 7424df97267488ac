#!/usr/bin/env bash
# students.dat that is not a plain file. Behind a chain of symbolic links the
# save replaces the file at the end of the chain, as safely as a plain one
# (the temporary file beside it, a failure or a crash leaving the old one),
# keeps its permissions and leaves the links as they were; a dangling link
# gets its file. A FIFO or a device counts as no file at all: nothing waits
# on it, and the save refuses it.
#
#   file-kinds.sh STUDENTDB FAULT_SHIM
set -eu
source "$(dirname "$0")/../faults/lib.sh" "$1" "$2"
# The dialogue on a students.dat that is no regular file: no file at start,
# none for the search, a refused save.
NO_FILE_CASE=$(cd "$(dirname "$0")/cases/019-directory-instead-of-file" && pwd)

python3 - "$ROOT" <<'PY'
import struct, sys
root = sys.argv[1]
def rec(name, street, house, flat):
    return name.ljust(20, b"\0") + street.ljust(20, b"\0") + struct.pack("<ii", house, flat)
old = b"".join(rec(b"Name%d" % i, b"Street", i, -i) for i in range(3000))
open(root + "/old.dat", "wb").write(old)
open(root + "/new.dat", "wb").write(old + rec(b"Added", b"Road", 7, 8))
open(root + "/added.dat", "wb").write(rec(b"Added", b"Road", 7, 8))
open(root + "/save", "wb").write(b"4\nAdded\nRoad\n7\n8\nn\n5\n0\n")
PY

# students.dat -> data/inner.lnk -> real.dat: the second link is read from
# the directory that holds it.
make_links() {
    fresh_work
    mkdir "$WORK/data"
    ln -s data/inner.lnk "$WORK/students.dat"
    ln -s real.dat "$WORK/data/inner.lnk"
}

links_kept() { # $1 what
    [ "$(readlink "$WORK/students.dat")" = data/inner.lnk ] && [ "$(readlink "$WORK/data/inner.lnk")" = real.dat ] ||
        fail "$1: the links were replaced"
}

only_files() { # $1 what; the files expected beside the links
    local expected=$2
    [ "$(work_files | tr '\n' ' ')" = "data students.dat " ] || fail "$1: in the directory: $(work_files | tr '\n' ' ')"
    [ "$(cd "$WORK/data" && ls -A | LC_ALL=C sort | tr '\n' ' ')" = "$expected" ] ||
        fail "$1: beside the target: $(ls -A "$WORK/data" | tr '\n' ' ')"
}

save_through_links() { # $1 fault
    make_links
    cp "$ROOT/old.dat" "$WORK/data/real.dat"
    chmod 640 "$WORK/data/real.dat"
    fault_run "$1" "$ROOT/save"
}

save_through_links none
[ "$STATUS" -eq 0 ] && ! grep -q 'Eror!' "$OUT" || fail "links: status $STATUS or an error shown"
cmp -s "$ROOT/new.dat" "$WORK/data/real.dat" || fail "links: the target is not the new file"
[ "$(stat -c %a "$WORK/data/real.dat")" = 640 ] || fail "links: mode $(stat -c %a "$WORK/data/real.dat")"
links_kept "links"
only_files "links" "inner.lnk real.dat "

for fault in create:1 fsync:1 rename:1; do
    save_through_links $fault
    grep -q 'Eror!' "$OUT" || fail "links, $fault: the failure was not reported"
    cmp -s "$ROOT/old.dat" "$WORK/data/real.dat" || fail "links, $fault: the target changed"
    links_kept "links, $fault"
    only_files "links, $fault" "inner.lnk real.dat "
done

# Killed while writing: the temporary file was made beside the target.
save_through_links kill:1
cmp -s "$ROOT/old.dat" "$WORK/data/real.dat" || fail "links, killed writing: the target changed"
links_kept "links, killed writing"
[ "$(cd "$WORK/data" && ls -A | grep -c '^real\.dat\..*\.tmp$')" -eq 1 ] || fail "links: no temporary file beside the target"
save_through_links killrename:1:1
cmp -s "$ROOT/new.dat" "$WORK/data/real.dat" || fail "links, killed after the rename: not the new file"
links_kept "links, killed after the rename"

# A dangling link: the start finds no file; the save creates the target.
make_links
fault_run none "$ROOT/save"
grep -q 'Eror!' "$OUT" && fail "dangling link: the save failed"
cmp -s "$ROOT/added.dat" "$WORK/data/real.dat" || fail "dangling link: the target was not created"
links_kept "dangling link"
only_files "dangling link" "inner.lnk real.dat "

# A FIFO and a device: refused, never waited on, left as they were.
no_file_dialogue() { # $1 what
    set +e
    (cd "$WORK" && exec timeout 20 "$PROGRAM" <"$NO_FILE_CASE/stdin" >"$OUT")
    STATUS=$?
    set -e
    [ "$STATUS" -eq 0 ] || fail "$1: exit status $STATUS"
    cmp -s "$NO_FILE_CASE/stdout" "$OUT" || fail "$1: not the dialogue of a missing file"
}
fresh_work
mkfifo "$WORK/students.dat"
no_file_dialogue "FIFO"
[ -p "$WORK/students.dat" ] || fail "FIFO: replaced"
fresh_work
ln -s /dev/null "$WORK/students.dat"
no_file_dialogue "link to a device"
[ "$(readlink "$WORK/students.dat")" = /dev/null ] && [ -c /dev/null ] || fail "link to a device: replaced"

finish
