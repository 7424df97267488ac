#!/usr/bin/env bash
# The searched file at its worst: unreadable, a directory, removed while it
# is open, lines of megabytes, zero bytes and byte sequences that are not
# UTF-8. Open and read failures come from the preloaded fault library (as
# root, permissions do not stop a read).
#
#   file-faults.sh LINEFIND FAULT_SHIM
set -eu
source "$(dirname "$0")/../faults/lib.sh" "$1" "$2"

# Inputs and expected outputs; the dialogue texts in Windows-1251.
python3 - "$ROOT" <<'PY'
import sys
root = sys.argv[1]
def cp(s): return s.encode("cp1251")
ask_name = cp("Введите имя файла:\n")
no_file = cp("Ошибка, такого файла не существует!") + cp("\nПовторить ввод? Да-д\n")
ask_string = cp("Введите искомую строку:\n")
header = cp("Строка                                               Количество таких строк\n")
none_found = cp("Строк с таким элементом не найдено!\n")
again = cp("Продолжить поиск? y/n\n")
def row(text, count):
    return b" " * max(0, 25 - len(text)) + text + b" " * max(0, 50 - len(str(count))) + str(count).encode() + b"\n"
def put(name, data): open(root + "/" + name, "wb").write(data)

put("text.txt", b"One needle. Two. One needle.")
put("search", b"text.txt\nneedle\nn\n")
put("refuse", b"text.txt\nn\n")
put("refused.out", ask_name + no_file)
put("found.out", ask_name + ask_string + header + row(b"One needle.", 2) + again)

# A file of 3 MiB in one line: one sentence of 3 MiB holds the string, and
# the read of the second block fails.
long = b"x" * (3 << 20) + b" needle."
put("long.txt", long + b"Short needle." + long + b"Tail")
put("long-search", b"long.txt\nneedle\nn\n")
put("long.out", ask_name + ask_string + header + row(long, 2) + row(b"Short needle.", 1) + again)

# Zero bytes and bytes that are no UTF-8 are ordinary characters.
odd = b"a\0b needle.\xff\xfe needle.\xc3( needle.\x80\xbf\xf8 x.a\0b needle."
put("odd.txt", odd)
put("odd-search", b"odd.txt\nneedle\nn\n")
put("odd.out", ask_name + ask_string + header + row(b"a\0b needle.", 2) + row(b"\xff\xfe needle.", 1)
    + row(b"\xc3( needle.", 1) + again)
put("zero-string", b"odd.txt\n\0b\nn\n")
put("zero-string.out", ask_name + ask_string + header + row(b"a\0b needle.", 2) + again)
put("odd-string", b"odd.txt\n\x80\xbf\xf8\nn\n")
put("odd-string.out", ask_name + ask_string + header + row(b"\x80\xbf\xf8 x.", 1) + again)
# Typed text that is not UTF-8 on a UTF-8 console.
put("utf8-odd", b"odd.txt\n\xc3(\xff\xfe\nn\n\xff\xfe\n")
PY

run_in_copy() { # $1 fault, $2 input; text files copied to a fresh directory
    fresh_work
    cp "$ROOT"/*.txt "$WORK"/
    fault_run "$1" "$ROOT/$2"
}

expect_output() { # $1 what, $2 expected output file
    [ "$STATUS" -eq 0 ] || fail "$1: exit status $STATUS"
    cmp -s "$ROOT/$2" "$OUT" || fail "$1: output differs from $2"
}

run_in_copy none search
expect_output "no fault" found.out

# Cannot be opened, or cannot be read at all: the same as a missing file.
run_in_copy open:text.txt refuse
expect_output "open refused" refused.out
run_in_copy open:text.txt:5 refuse
expect_output "open I/O error" refused.out
run_in_copy read:1 refuse
expect_output "first read fails" refused.out

# A directory by that name.
fresh_work
mkdir "$WORK/text.txt"
fault_run none "$ROOT/refuse"
expect_output "directory" refused.out

# Removed between the question and the search: the open file is still read.
run_in_copy vanish:text.txt search
expect_output "removed after the open" found.out
[ ! -e "$WORK/text.txt" ] || fail "vanish: the file was not removed"

# Removed before the name is typed.
fresh_work
fault_run none "$ROOT/refuse"
expect_output "missing" refused.out

# Megabyte lines.
run_in_copy none long-search
expect_output "3 MiB sentences" long.out

# A read error after the first block ends the search like the end of the
# file: the dialogue goes on with what was read.
run_in_copy read:2 long-search
[ "$STATUS" -eq 0 ] || fail "read error later: exit status $STATUS"
tail -c 22 "$OUT" | cmp -s - <(tail -c 22 "$ROOT/long.out") || fail "read error later: the dialogue did not go on"

# Zero bytes and bytes that are not UTF-8, in the file and in the string.
run_in_copy none odd-search
expect_output "odd bytes" odd.out
run_in_copy none zero-string
expect_output "zero byte typed" zero-string.out
run_in_copy none odd-string
expect_output "odd bytes typed" odd-string.out
fresh_work
cp "$ROOT/odd.txt" "$WORK"/
set +e
(cd "$WORK" && LC_ALL=C.UTF-8 FAULT=none LD_PRELOAD=$PRELOAD exec "$PROGRAM" <"$ROOT/utf8-odd" >"$OUT")
STATUS=$?
set -e
[ "$STATUS" -eq 0 ] || fail "not UTF-8 typed on a UTF-8 console: exit status $STATUS"

finish
