#!/usr/bin/env bash
# inttree in a terminal: building, viewing and emptying the tree, and the
# key wait after "Net kornja! " when deleting from the emptied tree.
#
#   inttree.sh PROGRAM [dialogue|keyahead|signals]
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
prog=$1
case_name=${2:-dialogue}

menu='6 - exit'
error='Vvedeno nevernoe znachenie!'

if [ "$case_name" = signals ]; then
    # Interrupted and stopped during the key wait, from an interactive dash:
    # the terminal is back in line mode with echo each time the shell has
    # it, and fg resumes the wait in one-key mode.
    term_shell
    enter "$(realpath "$prog")"
else
    term_start "$prog"
fi
wait_text "Vvedite inf v koren' dereva: "
enter 50
wait_text "$menu" 1

# Empties the tree of the root 50: it ends at the menu shown N times.
empty_tree() {
    enter 4
    wait_text 'Vvedite element dlja udalenija: '
    enter 50
    wait_text "$menu" "$1"
}

# Reaches the key wait after "Net kornja! " (the menu shown N times before).
key_wait() {
    enter 4
    wait_text 'Net kornja! ' "$2"
    wait_key_wait
    still_count "$menu" "$1"
}

if [ "$case_name" = signals ]; then
    empty_tree 2
    key_wait 2 1
    tt send-keys -t "$T" C-z
    wait_text 'Stopped'
    wait_line_mode
    enter fg
    wait_key_wait
    key Q
    wait_text "$menu" 3
    wait_line_mode
    expect_absent 'Q'
    key_wait 3 2
    tt send-keys -t "$T" C-c
    wait_text '$ ' 3
    wait_line_mode
    enter 'echo "status $?"'
    wait_text 'status 130'
    exit 0
fi

if [ "$case_name" = keyahead ]; then
    empty_tree 2
    enter 4
    wait_text 'Net kornja! '
    wait_key_wait
    # One key (a Cyrillic letter, two bytes) and at once a menu answer, as
    # from a quick typist: the wait takes the whole key and nothing more, so
    # the answer 1 (the ascending view, empty) reaches the menu, which is
    # then shown once more.
    tt send-keys -t "$T" -l 'ж1' \; send-keys -t "$T" Enter
    wait_text "$menu" 3
    wait_line_mode
    shown_within "$menu" 4 3 || fail "the answer typed right after the key was not read as the next choice"
    expect_absent "$error"
    expect_absent 'ж'
    enter 6
    wait_exit 0
    exit 0
fi

# Adding: "Vvedite chislo: " once per value, the question after each.
enter 3
wait_text 'Vvedite chislo: '
enter 30
wait_text 'Vvod zakonchen? y - exit: '
enter Y
wait_text 'Vvedite chislo: ' 2
enter 70
wait_text 'Vvod zakonchen? y - exit: ' 2
enter y
wait_text "$menu" 2

# A letter at the menu: the error text without the menu.
enter x
wait_text "$error"
wait_text 'Povtorite vvod: '
still_count "$menu" 2

enter 1
wait_text "$menu" 3
expect_exact 'Povtorite vvod: 1'
expect_exact '  30   50   70 '

enter 0
wait_text "$menu" 4
expect_exact '  50  30  70'

enter 5
wait_text "$menu" 5
expect_exact '  30'
expect_exact '50'
expect_exact '  70'

# Deleting the root with two children asks which child takes its place.
enter 4
wait_text 'Vvedite element dlja udalenija: '
expect_exact 'Vvedite element dlja udalenija: '
enter 50
wait_text "Kakoy iz elementov postavit' na vershiny? 30 ili 70"
enter 70
wait_text "$menu" 6
enter 0
wait_text "$menu" 7
expect_exact '  70  30'

# 70 with its left child 30: deleting 70 leaves 30; deleting 30 empties.
enter 4
wait_text 'Vvedite element dlja udalenija: ' 2
enter 70
wait_text "$menu" 8
enter 4
wait_text 'Vvedite element dlja udalenija: ' 3
enter 30
wait_text "$menu" 9

# Choice 4 on the empty tree, with the view 1 typed on the same line: the
# message, then a wait for one key that nothing but a key ends.
enter '4 1'
wait_text 'Net kornja! '
wait_key_wait
still_count "$menu" 9
key Q
# The key is not echoed and not taken as input: the menu comes back, the
# 1 left on the line is read as the next choice (an empty view), with no
# error, and the terminal is back in line mode.
wait_text "$menu" 11
wait_line_mode
expect_absent 'Q'
[ "$(count "$error")" -eq 1 ] || fail "the key was taken as a menu answer"
still_count "$menu" 11

# Adding to the empty tree is refused.
enter 3
wait_text 'Net kornja!' 2
wait_text "$menu" 12
expect_exact 'Net kornja!'

enter 6
wait_exit 0
