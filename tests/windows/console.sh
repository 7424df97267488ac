#!/usr/bin/env bash
# The Windows programs in a real console: the .exe runs under Wine in a tmux
# pane, where Wine gives it a console, and is driven as a person would.
# Cyrillic texts must show as Cyrillic, typed Cyrillic must arrive as
# Windows-1251, and a key wait must take one key press, whichever key it
# is, and nothing typed after it.
#
#   console.sh studentdb|inttree|linefind PROGRAM.exe
# WINEPREFIX names the prefix, with its wineserver running (wine-session.sh).
#
# linefind runs the terminal test of the POSIX build unchanged. Under Wine
# the terminal stays in one-key mode for the whole run, so a key wait shows
# only in what the program does: it holds its message until a key comes,
# takes that key whole without echo, and leaves what follows it alone.
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
    held_at "$menu" 2
    tt send-keys -t "$T" Up
    wait_text "$menu" 3
    expect_absent 'Vvedeno nevernoe znachenie!'
    # A Cyrillic key and at once the view 1: the wait takes the key only.
    enter 4
    wait_text 'Net kornja!' 2
    held_at "$menu" 3
    tt send-keys -t "$T" -l 'ж1' \; send-keys -t "$T" Enter
    wait_text "$menu" 4
    shown_within "$menu" 5 5 || fail "the answer typed right after the key was not read as the next choice"
    expect_absent 'Vvedeno nevernoe znachenie!'
    expect_absent 'ж'
    enter 6
    wait_exit 0
    exit 0
fi

[ "$which" = studentdb ] || {
    echo "usage: $0 studentdb|inttree|linefind PROGRAM.exe" >&2
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

# Two students, the second after a typed д; the Cyrillic name and street
# arrive as Windows-1251 and are stored so.
enter 4
wait_text 'Введите имя студента:'
enter 'Иванов'
wait_text 'Введите адрес:'
enter 'Ленина'
wait_text 'Дом:'
enter 12
wait_text 'Комната:'
enter 5
wait_text 'Продолжить ввод? Да-д'
enter д
wait_text 'Введите имя студента:' 2
enter 'Smith'
wait_text 'Введите адрес:' 2
enter 'Baker St'
wait_text 'Дом:' 2
enter 221
wait_text 'Комната:' 2
enter 2
wait_text 'Продолжить ввод? Да-д' 2
enter n
wait_text "$menu" 2
enter 5
wait_text "$menu" 3
[ "$(stat -c %s "$WORKDIR/students.dat")" = 96 ] || fail "students.dat is not two records long"
head -c 6 "$WORKDIR/students.dat" | cmp -s - <(cp1251 'Иванов') ||
    fail "the typed name is not stored in Windows-1251"
dd if="$WORKDIR/students.dat" bs=1 skip=20 count=6 status=none | cmp -s - <(cp1251 'Ленина') ||
    fail "the typed street is not stored in Windows-1251"

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
held_at "$menu" 1
tt send-keys -t "$T" Down
wait_text "$menu" 2
expect_absent "$retry"
# A Cyrillic key and at once the choice 6: the wait takes the key only.
enter 5
wait_text 'Eror!' 2
held_at "$menu" 2
tt send-keys -t "$T" -l 'ъ6' \; send-keys -t "$T" Enter
wait_text "$menu" 3
shown_within 'Студентов нет!' 1 5 || fail "the answer typed right after the key was not read as the next choice"
expect_absent "$retry"
expect_absent 'ъ'
enter 0
wait_exit 0
[ -d "$WORKDIR/students.dat" ] || fail "the directory in the way was replaced"
[ "$(ls -A "$WORKDIR")" = students.dat ] || fail "the failed save left files behind"
