#!/usr/bin/env bash
# countout in a terminal: two passes, three soldiers and then one.
#
#   countout.sh PROGRAM
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
prog=$1

term_start "$prog"
wait_text 'Kolichestvo soldat: '
enter 0
wait_text 'Vvedeno nevernoe znachenie!'
wait_text 'Povtorite vvod: '
enter 3
wait_text 'Imena soldat:'
names=(Alpha Bravo Delta)
for i in 1 2 3; do
    # The number and a tab, on the line where the name is typed.
    until screen | grep -q -x -E "$i	*|$i +"; do
        ended && fail "the program ended before soldier $i was asked for"
        sleep 0.05
    done
    enter "${names[i - 1]}"
done
wait_text 'Vvedite nomer soldats s kotorogo nachinat'"'"' schet: '
expect_exact 'Vveden informacia:'
for i in 1 2 3; do
    # Typed once after the prompt, listed once.
    [ "$(screen | grep -c -x -E "$i +${names[i - 1]}")" -eq 2 ] || fail "soldier $i is not listed"
done
enter 4
wait_text 'Vvedeno nevernoe znachenie!' 2
enter 2
wait_text 'Schet nachinaetsja s Bravo'
wait_text 'Vvedite shag: '
enter 2
wait_text 'Vvedite napravlenie r/l: '
enter R
wait_text 'Napravlenie vvedeno neverno!'
wait_text 'povtorite vvod! l/r?'
enter r
wait_text 'Za podmogoy idet: Alpha'
expect_exact 'Za podmogoy idet: Alpha'
wait_text "Povtorit'? y/n"

enter y
wait_text 'Kolichestvo soldat: ' 2
enter 1
wait_text 'Imena soldat:' 2
enter ''
wait_text 'Vvedite inf v stroky!!!'
enter Zulu
wait_text 'Za podmogoy idet: Zulu'
wait_text "Povtorit'? y/n" 2
[ "$(count 'Vvedite shag: ')" -eq 1 ] || fail "one soldier was asked for a step"
enter n
wait_exit 0
