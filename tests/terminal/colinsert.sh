#!/usr/bin/env bash
# colinsert in a terminal: one pass of size 1 to its end. What the dialogue
# cases cannot show: every prompt is on the screen before the program waits
# for its answer, and a run in a terminal ends like one fed from a pipe.
#
#   colinsert.sh PROGRAM
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
prog=$1

term_start "$prog"
wait_text 'Vvedite razmer mas = '
enter 1
wait_text 'mas[0][0] = '
enter 7
wait_text 'stolbec [0] = '
enter 8
wait_text 'Vvedite k='
enter 0
wait_text 'Y/N?'
enter n
wait_exit 0
expect_exact '  8  7'
