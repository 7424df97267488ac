#!/usr/bin/env bash
# maxcut in a terminal: a 3x3 matrix whose largest absolute value is a
# negative element in the middle; then end of input typed at a prompt.
#
#   maxcut.sh PROGRAM
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
prog=$1

term_start "$prog"
wait_text 'Vvedite razmer mas = '
enter 3
wait_text 'Vvod elementov mas'
values=(1 2 3 4 -9 6 7 8 5)
k=0
for i in 0 1 2; do
    for j in 0 1 2; do
        wait_text "mas[$i][$j] = "
        if [ $k -eq 1 ]; then
            enter two
            wait_text 'Eror, vvedeno nevernoe znachenie'
            wait_text "mas[$i][$j] = " 2
        fi
        enter "${values[k]}"
        k=$((k + 1))
    done
done
wait_exit 0
expect_exact 'Vvedenn mas:'
expect_exact '    1    2    3'
expect_exact '    4   -9    6'
expect_exact '    7    8    5'
expect_exact 'Rezyltat:'
expect_exact '    1    3'
expect_exact '    7    5'

# Ctrl-D at a prompt ends the input: the program ends at once with status 0
# and writes nothing more.
term_start "$prog"
wait_text 'Vvedite razmer mas = '
enter 2
wait_text 'mas[0][0] = '
tt send-keys -t "$T" C-d
wait_exit 0
expect_absent 'Eror'
expect_absent 'mas[0][1]'
