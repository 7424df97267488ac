#!/usr/bin/env bash
# colinsert in a terminal: a 2x2 matrix with a column inserted in the
# middle, then a second pass of size 1 with the column put first.
#
#   colinsert.sh PROGRAM
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
prog=$1

term_start "$prog"
wait_text 'Vvedite razmer mas = '
enter 2
wait_text 'Vvod elementov mas:'
value=1
for i in 0 1; do
    for j in 0 1; do
        wait_text "mas[$i][$j] = "
        enter $value
        value=$((value + 1))
    done
done
wait_text 'Vvod elementov stolbca'
wait_text 'stolbec [0] = '
enter a
wait_text 'Eror, vvedenno nedopyctimoe znachenie'
wait_text 'stolbec [0] = ' 2
enter 5
wait_text 'stolbec [1] = '
enter 6
wait_text 'Vvedite k='
expect_exact 'Vvedennaya matrica:'
expect_exact '  1  2'
expect_exact '  3  4'
expect_exact 'Vash stolbec:'
enter 1
wait_text 'Y/N?'
expect_exact 'Rezultat:'
expect_exact '  1  5  2'
expect_exact '  3  6  4'
expect_exact 'Return?'
expect_exact ' Y/N?'

enter Y
wait_text 'Vvedite razmer mas = ' 2
enter 1
wait_text 'mas[0][0] = ' 2
enter 7
wait_text 'stolbec [0] = ' 3
enter 8
wait_text 'Vvedite k=' 2
enter 0
wait_text 'Y/N?' 2
expect_exact '  8  7'
enter y
wait_exit 0
