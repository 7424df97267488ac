#!/usr/bin/env bash
# countout in a terminal: one pass of one soldier to its end. What the
# dialogue cases cannot show: every prompt is on the screen before the
# program waits for its answer, and a run in a terminal ends like one fed
# from a pipe.
#
#   countout.sh PROGRAM
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
prog=$1

term_start "$prog"
wait_text 'Kolichestvo soldat: '
enter 1
wait_text 'Imena soldat:'
enter Solo
wait_text "Povtorit'? y/n"
expect_exact 'Za podmogoy idet: Solo'
enter n
wait_exit 0
