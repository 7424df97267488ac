#!/usr/bin/env bash
# The programs built for Windows in a real console: the .exe runs under
# Wine in a tmux pane, where Wine gives it a console, and is driven as a
# person would.
# Cyrillic texts must show as Cyrillic, typed Cyrillic must arrive as
# Windows-1251, and a key wait must take one key press, whichever key it
# is, and nothing typed after it.
#
#   console.sh studentdb|inttree|linefind|countout PROGRAM.exe
# WINEPREFIX names the prefix, with its wineserver running (wine-session.sh).
#
# linefind runs the terminal test of the POSIX build unchanged. Under Wine
# the terminal stays in one-key mode for the whole run, so a key wait shows
# only in what the program does: it holds its message until a key comes,
# takes that key whole without echo, and leaves what follows it alone.
#
# Wine gives the program a console of its own, as Explorer does: every run
# ends with the program's line that a key closes the window, and a wait
# for that key (see wait_exit).
set -u
which=$1
exe=$(realpath -- "$2") || exit 1
export TERM_TIMEOUT=${TERM_TIMEOUT:-30} # a first start under Wine can take seconds
terminal_dir=$(cd "${BASH_SOURCE[0]%/*}/../terminal" && pwd)

# The "program" the terminal tests start: the .exe under Wine.
wrapper_dir=$(mktemp -d "${TMPDIR:-/tmp}/wineconsole.XXXXXX") || exit 1
trap 'rm -rf "$wrapper_dir"' EXIT
prog=$wrapper_dir/$which
printf '#!/bin/sh\nexec wine "%s"\n' "$exe" >"$prog"
chmod +x "$prog"

case $which in
studentdb | linefind) export TERM_CLOSING_NOTE='Нажмите любую клавишу, чтобы закрыть окно.' ;;
*) export TERM_CLOSING_NOTE="Nazhmite ljubuju klavishu, chtoby zakryt' okno." ;;
esac

if [ "$which" = linefind ]; then
    bash "$terminal_dir/linefind.sh" "$prog"
    exit
fi

source "$terminal_dir/lib.sh" || exit 1
trap 'term_cleanup; rm -rf "$wrapper_dir"' EXIT

# A key wait has begun: the message is shown and nothing follows it. (Wine
# draws the console without trailing spaces, so prompts are matched without
# theirs.)
held_at() { still_count "$1" "$2"; }

# At a key wait, with $menu shown N times: the key named KEY (an arrow,
# which Windows reports as two codes) ends the wait, and the menu follows
# without ERROR, as nothing was left over for its read.
#   arrow_key KEY N ERROR
arrow_key() {
    held_at "$menu" "$2"
    tt send-keys -t "$T" "$1"
    wait_text "$menu" $(($2 + 1))
    expect_absent "$3"
}

# At a key wait, with $menu shown N times: a Cyrillic LETTER and at once
# ANSWER with Enter, as from a quick typist. The wait takes the letter only,
# not echoed, and ANSWER reaches the menu: TEXT is shown AT_LEAST times.
#   key_then_answer LETTER ANSWER N ERROR TEXT AT_LEAST
key_then_answer() {
    held_at "$menu" "$3"
    tt send-keys -t "$T" -l "$1$2" \; send-keys -t "$T" Enter
    wait_text "$menu" $(($3 + 1))
    shown_within "$5" "$6" 5 || fail "the answer typed right after the key was not read as the next choice"
    expect_absent "$4"
    expect_absent "$1"
}

# The program run as COMMAND... (the wrapper's words after `wine EXE`, such
# as a redirection) from now on.
run_as() {
    printf '#!/bin/sh\nexec wine "%s" %s\n' "$exe" "$*" >"$prog"
}

if [ "$which" = countout ]; then
    # Names read from a file show in the console as the letters they are,
    # whether the file is UTF-8 (as Notepad saves) or Windows-1251.
    printf '3\nАлексей\nБорис\nВера\n2\n2\nr\nn\n' >"$WORKDIR/names-utf8.txt"
    iconv -f UTF-8 -t CP1251 <"$WORKDIR/names-utf8.txt" >"$WORKDIR/names-1251.txt"
    # Started from cmd, as `countout < names.txt` is typed there: the
    # console is cmd's too, so the program does not wait at its end.
    for file in names-utf8.txt names-1251.txt; do
        printf '#!/bin/sh\nexec wine cmd /c "%s < %s"\n' "$(winepath -w "$exe")" "$file" >"$prog"
        # The whole dialogue comes from the file: the run ends by itself,
        # and its screen is read once it has.
        term_start "$prog"
        TERM_CLOSING_NOTE='' wait_exit 0
        expect_line 'Za podmogoy idet: Алексей$'
        expect_line 'Schet nachinaetsja s Борис$'
        for row in '1       Алексей' '2       Борис' '3       Вера'; do
            [ "$(count "$row")" -eq 1 ] || fail "$file: the row '$row' is not shown once"
        done
    done
    # Names typed at the console, output to a file: the file gets
    # Windows-1251, as the same dialogue from a Windows-1251 file does.
    run_as ">" "$WORKDIR/out.txt"
    unset TERM_CLOSING_NOTE # the console is not written to: no closing line
    term_start "$prog"
    for answer in 3 'Алексей' 'Борис' 'Вера' 2 2 r n; do
        sleep 0.2
        enter "$answer"
    done
    wait_exit 0
    WINEDEBUG=-all wine "$exe" <"$WORKDIR/names-1251.txt" >"$WORKDIR/expected.txt" 2>/dev/null
    cmp -s "$WORKDIR/expected.txt" "$WORKDIR/out.txt" ||
        fail "typed names written to a file differ from those of a Windows-1251 file: $(od -c "$WORKDIR/out.txt" | head -5)"
    grep -q "$(cp1251 'Алексей')" "$WORKDIR/out.txt" || fail "out.txt does not hold the names in Windows-1251"
    exit 0
fi

if [ "$which" = inttree ]; then
    menu='6 - exit'
    term_start "$prog"
    wait_text "Vvedite inf v koren' dereva:"
    enter 50
    wait_text "$menu"
    enter 4
    wait_text 'Vvedite element dlja udalenija:'
    enter 50
    wait_text "$menu" 2
    # The empty tree: the message, then a wait that an arrow key (two codes
    # on Windows) ends as one key.
    enter 4
    wait_text 'Net kornja!'
    arrow_key Up 2 'Vvedeno nevernoe znachenie!'
    # A Cyrillic key and at once the view 1, which shows the menu again.
    enter 4
    wait_text 'Net kornja!' 2
    key_then_answer ж 1 3 'Vvedeno nevernoe znachenie!' "$menu" 5
    enter 6
    wait_exit 0
    exit 0
fi

[ "$which" = studentdb ] || {
    echo "usage: $0 studentdb|inttree|linefind|countout PROGRAM.exe" >&2
    exit 2
}
menu='6 - вывод на экран'
retry='Повторите ввод!'

# No students.dat: the message in Cyrillic, and a wait that one Cyrillic
# key ends, neither echoed nor left for the menu.
term_start "$prog"
wait_text 'Файла не существует!'
expect_exact 'Файла не существует!'
held_at "$menu" 0
key ъ
wait_text "$menu"
for line in '0 - выход' '1 - отсортировать в алфавитном порядке по фамилии' \
    '2 - отсортировать в алфавитном порядке по месту жительства' \
    '3 - поиск информации о студенте' '4 - добавить студента' \
    '5 - сохранить информацию' '6 - вывод на экран'; do
    expect_exact "$line"
done
expect_absent 'ъ'
expect_absent "$retry"

# add_student N NAME STREET HOUSE FLAT ANSWER: the Nth student added, and
# ANSWER to the question whether to add another.
add_student() {
    wait_text 'Введите имя студента:' "$1"
    enter "$2"
    wait_text 'Введите адрес:' "$1"
    enter "$3"
    wait_text 'Дом:' "$1"
    enter "$4"
    wait_text 'Комната:' "$1"
    enter "$5"
    wait_text 'Продолжить ввод? Да-д' "$1"
    enter "$6"
}

# Two students, the second after a typed д; the Cyrillic name and street
# arrive as Windows-1251 and the file holds them so.
enter 4
add_student 1 'Иванов' 'Ленина' 12 5 д
add_student 2 'Smith' 'Baker St' 221 2 n
wait_text "$menu" 2
enter 5
wait_text "$menu" 3
python3 - "$WORKDIR/students.dat" <<'EOF' || fail "students.dat does not hold the two records in Windows-1251"
import struct, sys
def record(name, street, house, flat):
    return struct.pack("<20s20sii", name.encode("cp1251"), street.encode("cp1251"), house, flat)
with open(sys.argv[1], "rb") as f:
    sys.exit(f.read() != record("Иванов", "Ленина", 12, 5) + record("Smith", "Baker St", 221, 2))
EOF

# The listing and the search of the file by a typed Cyrillic name.
row_ivanov="              Иванов              Ленина   12         5"
enter 6
wait_text "$menu" 4
wait_text "$row_ivanov"
enter 3
wait_text 'Введите имя студента:' 3
enter 'Иванов'
wait_text "$menu" 5
[ "$(count "$row_ivanov")" -eq 2 ] || fail "the search did not show the record"
enter 0
wait_exit 0

# A directory in the way: it counts as no file, and a save fails, with its
# message and a wait that an arrow key ends as one key; the directory stays.
rm "$WORKDIR/students.dat"
mkdir "$WORKDIR/students.dat"
term_start "$prog"
wait_text 'Файла не существует!'
held_at "$menu" 0
key x
wait_text "$menu"
expect_absent "$retry"
enter 5
wait_text 'Eror!'
expect_exact 'Eror!'
arrow_key Down 1 "$retry"
# A Cyrillic key and at once the choice 6, the listing of no students.
enter 5
wait_text 'Eror!' 2
key_then_answer ъ 6 2 "$retry" 'Студентов нет!' 1
enter 0
wait_exit 0
[ -d "$WORKDIR/students.dat" ] || fail "the directory in the way was replaced"
[ "$(ls -A "$WORKDIR")" = students.dat ] || fail "the failed save left files behind"
rmdir "$WORKDIR/students.dat"

# Typed at the console, output redirected to a file: the file receives the
# dialogue's Windows-1251 bytes, as a file of answers gives them.
run_as ">" "$WORKDIR/log.txt"
unset TERM_CLOSING_NOTE # the console is not written to: no closing line
term_start "$prog"
# The output reaches the file before the key wait after the first message.
deadline=$((SECONDS + TERM_TIMEOUT))
until [ -s "$WORKDIR/log.txt" ]; do
    [ "$SECONDS" -lt "$deadline" ] || fail "nothing written to log.txt"
    sleep 0.1
done
key x
for answer in 4 'Иванов' 'Ленина' 5 12 н 6 0; do
    sleep 0.2
    enter "$answer"
done
wait_exit 0
printf '4\nИванов\nЛенина\n5\n12\nн\n6\n0\n' | iconv -f UTF-8 -t CP1251 >"$WORKDIR/answers.txt"
rm -f "$WORKDIR/students.dat"
(cd "$WORKDIR" && WINEDEBUG=-all wine "$exe" <answers.txt >expected.txt 2>/dev/null)
cmp -s "$WORKDIR/expected.txt" "$WORKDIR/log.txt" ||
    fail "the typed dialogue written to a file is not the Windows-1251 one: $(od -c "$WORKDIR/log.txt" | head -5)"
grep -q "$(cp1251 'Иванов')" "$WORKDIR/log.txt" || fail "log.txt does not hold the typed name in Windows-1251"
