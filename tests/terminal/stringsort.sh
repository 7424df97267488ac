#!/usr/bin/env bash
# stringsort in a terminal: two lines sorted by their sums. What the
# dialogue cases cannot show: every prompt is on the screen before the
# program waits for its answer, and a run in a terminal ends like one fed
# from a pipe.
#
#   stringsort.sh PROGRAM
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
prog=$1

term_start "$prog"
wait_text 'Vvedite kolovo strok n = '
enter 2
wait_text 'Vvedite razmer strok m = '
enter 10
wait_text 'Vvedite 1 stroky:'
enter 'Abc 5'
wait_text 'Vvedite 2 stroky:'
enter 'x Bcd -3'
wait_text 'Vvedite algoritm sortirovki.'
enter b
wait_exit 0
screen | grep -x -F -e ' stroka: Abc 5' -e ' stroka: x Bcd -3' | tail -n 2 >"$TERM_ROOT/sorted"
printf '%s\n' ' stroka: x Bcd -3' ' stroka: Abc 5' | cmp -s - "$TERM_ROOT/sorted" ||
    fail "the lines are not sorted by their sums"

# The result's last line has no line break of its own: on a terminal the
# program ends it, so the shell's prompt starts a line of its own.
term_shell
enter "printf '1\\n5\\nab 1\\nb\\n' | $(realpath -- "$prog")"
wait_text '$ ' 2
expect_exact ' stroka: ab 1'
expect_exact '$ '
