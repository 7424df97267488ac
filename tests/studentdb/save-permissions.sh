#!/usr/bin/env bash
# The save and what the file system says about students.dat: a file the user
# may not write, or could not read at the start, is refused; a file's extended
# attributes stay with it; a file whose directory is closed to new files, or
# whose owner the user cannot give a new file, is rewritten in place; a file
# of another user saved by root keeps its owner, group and mode.
# Permissions do not bind root, so the program runs as the unprivileged user
# 65534; the script needs root and setpriv (exit status 77, skipped, without).
#
#   save-permissions.sh STUDENTDB FAULT_SHIM
set -eu
source "$(dirname "$0")/../faults/lib.sh" "$1" "$2"
if [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null; then
    echo "needs root and setpriv to run the program as another user"
    exit 77
fi
NOBODY=65534
# The user must reach the program and the scratch directory.
chmod 755 "$ROOT"
cp "$PROGRAM" "$ROOT/studentdb"
PROGRAM=$ROOT/studentdb
setpriv --reuid=$NOBODY --regid=$NOBODY --clear-groups test -x "$PROGRAM" ||
    { echo "user $NOBODY cannot reach $ROOT" >&2; exit 1; }

python3 - "$ROOT" <<'PY'
import struct, sys
root = sys.argv[1]
def rec(name, street, house, flat):
    return name.ljust(20, b"\0") + street.ljust(20, b"\0") + struct.pack("<ii", house, flat)
old = b"".join(rec(b"Name%d" % i, b"Street", i, -i) for i in range(100))
open(root + "/old.dat", "wb").write(old)
open(root + "/new.dat", "wb").write(old + rec(b"Added", b"Road", 7, 8))
# Add, save, list: the listing shows whether the collection was kept.
open(root + "/save", "wb").write(b"4\nAdded\nRoad\n7\n8\nn\n5\n6\n0\n")
PY

# students.dat in a fresh $WORK; $1 the owner of the directory, $2 its
# mode, $3 the owner of the file, $4 its mode.
setup() {
    fresh_work
    cp "$ROOT/old.dat" "$WORK/students.dat"
    chown "$3" "$WORK/students.dat"
    chmod "$4" "$WORK/students.dat"
    chown "$1" "$WORK"
    chmod "$2" "$WORK"
    INODE=$(stat -c %i "$WORK/students.dat")
}

# Runs the dialogue as $1 (root or the unprivileged user).
save_as() {
    local as=()
    [ "$1" = root ] || as=(setpriv --reuid=$NOBODY --regid=$NOBODY --clear-groups)
    set +e
    (cd "$WORK" && exec "${as[@]}" "$PROGRAM" <"$ROOT/save" >"$OUT")
    STATUS=$?
    set -e
}

# $1 what, $2 the expected content, $3 the expected owner:group and mode.
check() {
    [ "$STATUS" -eq 0 ] || fail "$1: exit status $STATUS"
    grep -q '  Added                Road    7         8$' "$OUT" || fail "$1: the collection was not kept"
    cmp -s "$ROOT/$2.dat" "$WORK/students.dat" || fail "$1: students.dat is not the $2 file"
    [ "$(stat -c '%u:%g %a' "$WORK/students.dat")" = "$3" ] ||
        fail "$1: students.dat is $(stat -c '%u:%g %a' "$WORK/students.dat"), expected $3"
    [ "$(work_files)" = students.dat ] || fail "$1: left files behind: $(work_files | tr '\n' ' ')"
}
saved() { check "$@"; grep -q 'Eror!' "$OUT" && fail "$1: an error shown"; true; }
in_place() {
    saved "$@"
    [ "$(stat -c %i "$WORK/students.dat")" = "$INODE" ] || fail "$1: students.dat was replaced"
}

# A read-only file: refused as a file that cannot be opened.
setup $NOBODY:$NOBODY 755 $NOBODY:$NOBODY 444
save_as nobody
check "read-only file" old "$NOBODY:$NOBODY 444"
[ "$(grep -c 'Eror!' "$OUT")" -eq 1 ] || fail "read-only file: the failure was not reported"

# A file the user may write but not read: the load cannot read it and says
# so as for a missing file, and a save, which would drop the records the
# user never saw, fails as a failed open does.
setup $NOBODY:$NOBODY 755 $NOBODY:$NOBODY 200
save_as nobody
check "unreadable file" old "$NOBODY:$NOBODY 200"
[ "$(grep -c 'Eror!' "$OUT")" -eq 1 ] || fail "unreadable file: the failure was not reported"

# Extended attributes stay with the file the save puts in its place.
setup $NOBODY:$NOBODY 755 $NOBODY:$NOBODY 644
python3 -c "$SET_COMMENT" "$WORK/students.dat"
save_as nobody
saved "file with an attribute" new "$NOBODY:$NOBODY 644"
[ "$(stat -c %i "$WORK/students.dat")" != "$INODE" ] || fail "file with an attribute: not replaced"
[ "$(python3 -c "$GET_COMMENT" "$WORK/students.dat")" = "group 7" ] ||
    fail "file with an attribute: the attribute was lost"

# A writable file in a directory the user cannot write: rewritten in place.
setup 0:0 755 $NOBODY:$NOBODY 644
save_as nobody
in_place "closed directory" new "$NOBODY:$NOBODY 644"

# Another user's file, writable to all, in the user's own directory: a new
# file would be the user's, so the file is rewritten in place.
setup $NOBODY:$NOBODY 755 0:0 666
save_as nobody
in_place "another user's file" new "0:0 666"

# Root saves the user's file: the new file is the user's, with the old mode.
setup 0:0 755 $NOBODY:$NOBODY 640
save_as root
saved "root saves" new "$NOBODY:$NOBODY 640"

# A file with an access list that lets the user write it: root rewrites it
# in place, since a new file would not carry the list.
setup 0:0 755 0:0 644
python3 - "$WORK/students.dat" <<'PY'
import os, struct, sys
# Owner rw, user 65534 rw, group r, mask rw, others r.
entries = [(0x01, 6, -1), (0x02, 6, 65534), (0x04, 4, -1), (0x10, 6, -1), (0x20, 4, -1)]
acl = struct.pack("<I", 2) + b"".join(struct.pack("<HHI", t, p, i & 0xFFFFFFFF) for t, p, i in entries)
os.setxattr(sys.argv[1], "system.posix_acl_access", acl)
PY
save_as root
in_place "file with an access list" new "0:0 664"
python3 -c 'import os, sys; os.getxattr(sys.argv[1], "system.posix_acl_access")' "$WORK/students.dat" ||
    fail "file with an access list: the list was lost"

finish
