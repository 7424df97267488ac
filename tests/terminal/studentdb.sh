#!/usr/bin/env bash
# studentdb in a UTF-8 terminal: readable Cyrillic, a typed д at
# "Продолжить ввод? Да-д", the file kept in Windows-1251, and the key waits
# after the two file messages.
#
#   studentdb.sh PROGRAM [dialogue|saveerror|keyahead|nolocale]
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
prog=$1
case_name=${2:-dialogue}

menu='6 - вывод на экран'
retry='Повторите ввод!'
header='             Студент               Улица  Дом  Квартира'

# The start without students.dat: the message, then a wait for one key.
start_without_file() {
    term_start "$prog"
    wait_text 'Файла не существует!'
    expect_exact 'Файла не существует!'
    wait_key_wait
    still_count "$menu" 0
}

# One student through the questions of choice 4, asked for the n-th time,
# and the answer to "continue?": add_student NAME STREET HOUSE FLAT N ANSWER.
add_student() {
    wait_text 'Введите имя студента: ' "$5"
    enter "$1"
    wait_text 'Введите адрес: ' "$5"
    enter "$2"
    wait_text 'Дом: ' "$5"
    enter "$3"
    wait_text 'Комната: ' "$5"
    enter "$4"
    wait_text 'Продолжить ввод? Да-д' "$5"
    enter "$6"
}

case $case_name in
nolocale)
    # No locale variable set at all (a fresh root shell of a container): the
    # terminal is taken for UTF-8, the texts show in Cyrillic, and typed
    # Cyrillic is recognised and saved in Windows-1251.
    TERM_LOCALE=
    start_without_file
    key x
    wait_text "$menu"
    expect_exact '0 - выход'
    enter 4
    add_student 'Иванов' 'Ленина' 3 4 1 д
    add_student 'Смит' 'Бейкер' 221 2 2 н
    wait_text "$menu" 2
    expect_absent "$retry"
    enter 5
    wait_text "$menu" 3
    enter 0
    wait_exit 0
    [ "$(stat -c %s "$WORKDIR/students.dat")" = 96 ] || fail "students.dat is not two records long"
    head -c 6 "$WORKDIR/students.dat" | cmp -s - <(cp1251 'Иванов') ||
        fail "the typed name is not stored in Windows-1251"
    # An explicit C locale keeps the Windows-1251 bytes: no Cyrillic shows.
    TERM_LOCALE=LC_ALL=C
    term_start "$prog"
    wait_text '0 - '
    enter 0
    wait_exit 0
    expect_absent 'выход'
    expect_absent 'Студент'
    exit 0
    ;;
keyahead)
    start_without_file
    # One key (a Cyrillic letter, two bytes) and at once the choice 6, as
    # from a quick typist: the wait takes the whole key and nothing more, so
    # the listing follows the menu.
    tt send-keys -t "$T" -l 'ъ6' \; send-keys -t "$T" Enter
    wait_text "$menu"
    wait_line_mode
    shown_within 'Студентов нет!' 1 3 || fail "the answer typed right after the key was not read as the next choice"
    expect_absent "$retry"
    expect_absent 'ъ'
    enter 0
    wait_exit 0
    exit 0
    ;;
saveerror)
    # A directory in the way: it counts as no file, and no save can put a
    # file in its place.
    mkdir "$WORKDIR/students.dat"
    start_without_file
    key x
    wait_text "$menu"
    enter 5
    wait_text 'Eror!'
    expect_exact 'Eror!'
    wait_key_wait
    still_count "$menu" 1
    key Q
    wait_text "$menu" 2
    wait_line_mode
    expect_absent 'Q'
    expect_absent "$retry"
    enter 6
    wait_text 'Студентов нет!'
    enter 0
    wait_exit 0
    [ -d "$WORKDIR/students.dat" ] || fail "the directory in the way was replaced"
    [ "$(ls -A "$WORKDIR")" = students.dat ] || fail "the failed save left files behind"
    exit 0
    ;;
esac

start_without_file
# A Cyrillic key: the whole letter is the one key, none of it is echoed or
# left over for the menu read.
key ъ
wait_text "$menu"
wait_line_mode
expect_absent 'ъ'
expect_exact '0 - выход'
enter 6
wait_text 'Студентов нет!'
wait_text "$menu" 2
expect_absent "$retry"

# Two students, the second after a typed д.
enter 4
wait_text 'Введите имя студента: '
enter 'Иванов'
wait_text 'Введите адрес: '
enter 'Ленина'
wait_text 'Дом: '
enter 'двенадцать'
wait_text 'Введено неверное значение! Повторите ввод:'
enter 12
wait_text 'Комната: '
enter 5
wait_text 'Продолжить ввод? Да-д'
enter д
add_student 'Smith' 'Baker St' 221 2 2 Д
wait_text "$menu" 3

# Sorted by name: the Cyrillic name comes first.
enter 1
wait_text "$menu" 4
wait_text 'Студенты:'
row_ivanov="              Иванов              Ленина   12         5"
row_smith="               Smith            Baker St  221         2"
screen | grep -A2 -x -F -- "$header" | tail -n +2 >"$TERM_ROOT/rows"
printf '%s\n' "$row_ivanov" "$row_smith" | cmp -s - "$TERM_ROOT/rows" ||
    fail "the sorted listing differs"

# Saved as Windows-1251 bytes, 48 bytes a record.
enter 5
wait_text "$menu" 5
[ "$(stat -c %s "$WORKDIR/students.dat")" = 96 ] || fail "students.dat is not two records long"
head -c 6 "$WORKDIR/students.dat" | cmp -s - <(cp1251 'Иванов') ||
    fail "the first name is not stored in Windows-1251"
dd if="$WORKDIR/students.dat" bs=1 skip=20 count=6 status=none | cmp -s - <(cp1251 'Ленина') ||
    fail "the first street is not stored in Windows-1251"

# The search of the file by a typed Cyrillic name.
enter 3
wait_text 'Введите имя студента:' 3
enter 'Иванов'
wait_text "$menu" 6
[ "$(count "$row_ivanov")" -eq 2 ] || fail "the search did not show the record"
enter 3
wait_text 'Введите имя студента:' 4
enter 'Петров'
wait_text 'Такого студента не найдено!'
wait_text "$menu" 7

enter 0
wait_exit 0

# A second start finds the file: no message and no key wait.
term_start "$prog"
wait_text "$menu"
expect_absent 'Файла не существует!'
enter 6
wait_text "$menu" 2
[ "$(count "$row_smith")" -eq 1 ] || fail "the saved record is not listed"
[ "$(count "$row_ivanov")" -eq 1 ] || fail "the saved record is not listed"

# Ctrl-D at the menu after an addition ends the program as its exit choice
# does: nothing is saved.
cp "$WORKDIR/students.dat" "$TERM_ROOT/saved.dat"
enter 4
add_student 'Петров' 'Мира' 1 1 1 n
wait_text "$menu" 3
tt send-keys -t "$T" C-d
wait_exit 0
cmp -s "$WORKDIR/students.dat" "$TERM_ROOT/saved.dat" || fail "students.dat changed without a save"
