#!/usr/bin/env bash
# maxcut in a terminal, for what the dialogue cases cannot show: every prompt
# is on the screen before the program waits for its answer, and Ctrl-D at a
# prompt ends the input.
#
#   maxcut.sh PROGRAM
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
prog=$1

term_start "$prog"
wait_text 'Vvedite razmer mas = '
enter 2
values=(1 -9 3 4)
k=0
for i in 0 1; do
    for j in 0 1; do
        wait_text "mas[$i][$j] = "
        enter "${values[k]}"
        k=$((k + 1))
    done
done
wait_exit 0
expect_exact 'Rezyltat:'
expect_exact '    3'

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
