#!/usr/bin/env bash
# A save that fails at any step, or a process killed in the middle of one,
# leaves students.dat as it was before the save, byte for byte; a save that
# completes leaves exactly the new records. A load that meets a read error
# leaves nothing for a save to replace. Each step of the save is made to
# fail in turn by the preloaded fault library.
#
#   save-faults.sh STUDENTDB FAULT_SHIM
set -eu
source "$(dirname "$0")/../faults/lib.sh" "$1" "$2"

# 3000 records make the save several writes; the dialogue adds one record
# and saves.
python3 - "$ROOT" <<'PY'
import struct, sys
root = sys.argv[1]
def rec(name, street, house, flat):
    return name.ljust(20, b"\0") + street.ljust(20, b"\0") + struct.pack("<ii", house, flat)
old = b"".join(rec(b"Name%d" % i, b"Street%d" % (i % 97), i, -i) for i in range(3000))
open(root + "/old.dat", "wb").write(old)
open(root + "/new.dat", "wb").write(old + rec(b"Added", b"Road", 7, 8))
open(root + "/save", "wb").write(b"4\nAdded\nRoad\n7\n8\nn\n5\n0\n")
open(root + "/save-twice", "wb").write(b"4\nAdded\nRoad\n7\n8\nn\n5\n5\n0\n")
open(root + "/save-list", "wb").write(b"4\nAdded\nRoad\n7\n8\nn\n5\n6\n0\n")
PY

# Runs the add-and-save dialogue with a fault; $1 the fault, $2 the input.
run_save() {
    fresh_work
    cp "$ROOT/old.dat" "$WORK/students.dat"
    fault_run "$1" "$ROOT/${2:-save}"
}

errors_shown() { grep -c 'Eror!' "$OUT" || true; }

# The save failed: message shown, old file intact, nothing else left behind.
expect_refused() {
    local fault=$1
    run_save "$fault"
    [ "$STATUS" -eq 0 ] || fail "$fault: exit status $STATUS"
    [ "$(errors_shown)" -eq 1 ] || fail "$fault: the failure was not reported"
    cmp -s "$ROOT/old.dat" "$WORK/students.dat" || fail "$fault: students.dat changed"
    [ "$(work_files)" = students.dat ] || fail "$fault: left files behind: $(work_files | tr '\n' ' ')"
}

# The process died during the save: students.dat is the old or the new file.
expect_killed() {
    local fault=$1 signal=$2 which=$3
    run_save "$fault"
    [ "$STATUS" -eq $((128 + signal)) ] || fail "$fault: exit status $STATUS, expected death by signal $signal"
    cmp -s "$ROOT/$which.dat" "$WORK/students.dat" || fail "$fault: students.dat is not the $which file"
}

# No fault: the control run that shows the dialogue really saves.
run_save none
[ "$STATUS" -eq 0 ] && [ "$(errors_shown)" -eq 0 ] || fail "no fault: status $STATUS or an error shown"
cmp -s "$ROOT/new.dat" "$WORK/students.dat" || fail "no fault: students.dat is not the new file"
[ "$(work_files)" = students.dat ] || fail "no fault: left files behind"

# A private file stays private: the new file takes the old one's mode, not
# the umask's.
fresh_work
cp "$ROOT/old.dat" "$WORK/students.dat"
chmod 600 "$WORK/students.dat"
(umask 022 && cd "$WORK" && exec "$PROGRAM" <"$ROOT/save" >"$OUT")
cmp -s "$ROOT/new.dat" "$WORK/students.dat" || fail "private file: not saved"
[ "$(stat -c %a "$WORK/students.dat")" = 600 ] || fail "private file: mode $(stat -c %a "$WORK/students.dat") after the save"

# Saved in place: same file, the new records, nothing left behind; $1 what.
expect_in_place() {
    [ "$STATUS" -eq 0 ] && [ "$(errors_shown)" -eq 0 ] || fail "$1: status $STATUS or an error shown"
    cmp -s "$ROOT/new.dat" "$WORK/students.dat" || fail "$1: students.dat is not the new file"
    [ "$(stat -c %i "$WORK/students.dat")" = "$INODE" ] || fail "$1: students.dat was replaced"
}

# A directory that forbids the temporary file (EACCES, EPERM, a read-only
# file system): the file is rewritten in place.
for error in 13 1 30; do
    fresh_work
    cp "$ROOT/old.dat" "$WORK/students.dat"
    INODE=$(stat -c %i "$WORK/students.dat")
    fault_run create:1:$error "$ROOT/save"
    expect_in_place "no temporary file, error $error"
    [ "$(work_files)" = students.dat ] || fail "no temporary file, error $error: left files behind"
done

# A second hard link: both names show the new records, and a save that
# fails in place is reported.
link_save() {
    fresh_work
    cp "$ROOT/old.dat" "$WORK/students.dat"
    ln "$WORK/students.dat" "$WORK/other.dat"
    INODE=$(stat -c %i "$WORK/students.dat")
    fault_run "$1" "$ROOT/save"
}
link_save none
expect_in_place "hard link"
cmp -s "$ROOT/new.dat" "$WORK/other.dat" || fail "hard link: the other name keeps the old records"
[ "$(work_files | tr '\n' ' ')" = "other.dat students.dat " ] || fail "hard link: left files behind"
for fault in write:1 write:3 fsync:1 close:1; do
    link_save $fault
    [ "$(errors_shown)" -eq 1 ] || fail "hard link, $fault: the failure was not reported"
done
link_save write:1
cmp -s "$ROOT/old.dat" "$WORK/other.dat" || fail "hard link, write:1: changed though nothing was written"

# Every step of the save refused.
expect_refused create:1            # the temporary file cannot be made (disk full)
expect_refused write:1             # disk full at the first write
expect_refused write:3             # ... or at the last one
expect_refused write:2:5           # an I/O error
expect_refused short:1             # a short write, then no more room
expect_refused short:3
expect_refused fsync:1             # the data never reached the disk
expect_refused close:1             # an error the file system deferred to close
expect_refused rename:1            # the rename refused
expect_refused rename:1:13

# With no students.dat before, a failed save leaves none behind.
for fault in create:1 write:1 fsync:1 rename:1; do
    fresh_work
    fault_run $fault "$ROOT/save"
    [ "$(errors_shown)" -eq 1 ] || fail "no file before, $fault: the failure was not reported"
    [ -z "$(work_files)" ] || fail "no file before, $fault: left $(work_files | tr '\n' ' ')"
done

# A failed save can be retried in the same run: the second one succeeds.
run_save write:2 save-twice
[ "$(errors_shown)" -eq 1 ] || fail "retry: expected one failure report"
cmp -s "$ROOT/new.dat" "$WORK/students.dat" || fail "retry: the second save did not write the new file"
[ "$(work_files)" = students.dat ] || fail "retry: left files behind"

# A read error part way through the load: the records read are shown, but
# a save would drop the rest, so it fails as a failed open does, and the
# collection stays for the listing.
fresh_work
cp "$ROOT/old.dat" "$WORK/students.dat"
fault_run fread:1 "$ROOT/save-list"
[ "$STATUS" -eq 0 ] || fail "read error: exit status $STATUS"
[ "$(errors_shown)" -eq 1 ] || fail "read error: the failure was not reported"
grep -q '  Added                Road    7         8$' "$OUT" || fail "read error: the collection was not kept"
cmp -s "$ROOT/old.dat" "$WORK/students.dat" || fail "read error: students.dat changed"
[ "$(work_files)" = students.dat ] || fail "read error: left files behind: $(work_files | tr '\n' ' ')"

# An extended attribute the new file cannot be given: the file is rewritten
# in place and keeps it; where it can, the replaced file carries it.
for fault in none fsetxattr:1; do
    fresh_work
    cp "$ROOT/old.dat" "$WORK/students.dat"
    python3 -c "$SET_COMMENT" "$WORK/students.dat"
    INODE=$(stat -c %i "$WORK/students.dat")
    fault_run $fault "$ROOT/save"
    [ "$(python3 -c "$GET_COMMENT" "$WORK/students.dat")" = "group 7" ] ||
        fail "attribute, $fault: the attribute was lost"
    [ "$(work_files)" = students.dat ] || fail "attribute, $fault: left files behind: $(work_files | tr '\n' ' ')"
    if [ $fault = none ]; then
        cmp -s "$ROOT/new.dat" "$WORK/students.dat" || fail "attribute: students.dat is not the new file"
        [ "$(stat -c %i "$WORK/students.dat")" != "$INODE" ] || fail "attribute: rewritten in place"
    else
        expect_in_place "attribute, $fault"
    fi
done

# Killed in the middle of the writes, or around the rename.
expect_killed kill:1 9 old
expect_killed kill:2 9 old
expect_killed kill:3 9 old
expect_killed killrename:1:0 9 old
expect_killed killrename:1:1 9 new

# A file size limit below the new file's size: the kernel stops the process
# with SIGXFSZ in the middle of the writes.
fresh_work
cp "$ROOT/old.dat" "$WORK/students.dat"
set +e
(cd "$WORK" && ulimit -f 100 && exec "$PROGRAM" <"$ROOT/save" >"$OUT")
STATUS=$?
set -e
[ "$STATUS" -eq $((128 + 25)) ] || fail "ulimit -f: exit status $STATUS, expected death by SIGXFSZ"
cmp -s "$ROOT/old.dat" "$WORK/students.dat" || fail "ulimit -f: students.dat changed"

finish
