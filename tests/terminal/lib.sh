# Shared helpers of the terminal tests: one program runs in a real terminal
# (a tmux pane on a private server), answers are typed with send-keys and
# the screen is read back with capture-pane.
#
# A test script sources this file, calls term_start with the program and
# then alternates type/key with the waits and checks below. Every wait is a
# bounded poll; a failed check prints the screen and ends the test with
# status 1. The tmux server and the working directory are removed at exit.
#
# Exit status 77 (skipped) when tmux is not installed.

if ! command -v tmux >/dev/null 2>&1; then
    echo "tmux not installed: skipped"
    exit 77
fi

set -u

# The terminal and every program in it run under a UTF-8 locale.
export LC_ALL=C.UTF-8
unset TMUX TMUX_PANE

TERM_TIMEOUT=${TERM_TIMEOUT:-10} # seconds any one wait may take
TERM_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/termtest.XXXXXX")
TERM_SOCK=$TERM_ROOT/tmux.sock
TERM_CONF=$TERM_ROOT/tmux.conf
WORKDIR=$TERM_ROOT/work # the program's working directory
mkdir -p "$WORKDIR"

# The pane stays after the program ends, so its exit status can be read;
# no status line, so the whole window is the program's screen.
cat >"$TERM_CONF" <<'EOF'
set -g remain-on-exit on
set -g status off
set -g history-limit 10000
set -g exit-empty off
EOF

term_cleanup() {
    # TERM_SHOW=1 prints the last screen, to see a passing dialogue.
    [ -n "${TERM_SHOW:-}" ] && screen | awk 'NF { for (; n > 0; n--) print ""; print; next } { n++ }'
    tmux -S "$TERM_SOCK" kill-server >/dev/null 2>&1
    rm -rf "$TERM_ROOT"
}
trap term_cleanup EXIT

tt() { tmux -S "$TERM_SOCK" -f "$TERM_CONF" "$@"; }

fail() {
    echo "FAIL: $*" >&2
    echo "---- screen ----" >&2
    screen >&2
    echo "----------------" >&2
    exit 1
}

TERM_RUNS=0
TERM_STATUS=/dev/null # where the shell in the pane records the exit status
T=run0 # the target of every tmux command: the current run's session

# The locale of the program started next, as NAME=VALUE words; TERM_LOCALE=
# (empty) starts it with none of LC_ALL, LC_CTYPE and LANG set.
TERM_LOCALE=${TERM_LOCALE-LC_ALL=C.UTF-8 LANG=C.UTF-8}

# term_start PROGRAM: runs PROGRAM in a fresh 132x50 pane in $WORKDIR.
term_start() {
    local program
    program=$(realpath -- "$1" 2>/dev/null)
    if [ -z "$program" ] || [ ! -x "$program" ]; then
        echo "program not found: $1" >&2
        exit 1
    fi
    # A fresh session for every start: the screen holds one run only.
    [ "$TERM_RUNS" -gt 0 ] && tt kill-session -t "$T" >/dev/null 2>&1
    TERM_RUNS=$((TERM_RUNS + 1))
    T=run$TERM_RUNS
    # A shell in the pane records the program's exit status: tmux may show
    # a pane dead long before it has collected the status itself.
    TERM_STATUS=$TERM_ROOT/status.$TERM_RUNS
    # shellcheck disable=SC2016 # expanded by that shell
    tt new-session -d -s "$T" -x 132 -y 50 -c "$WORKDIR" \
        sh -c 'env -u LC_ALL -u LC_CTYPE -u LANG $2 TERM=xterm "$0"; echo $? >"$1"' "$program" "$TERM_STATUS" \
        "$TERM_LOCALE" ||
        fail "tmux could not start $1"
}

# term_shell: an interactive dash in a fresh pane, for runs that need the
# shell's job control. dash repairs nothing of the terminal after a program
# ends or stops, so what the terminal is left in is the program's doing.
term_shell() {
    command -v dash >/dev/null || { echo "dash not installed: skipped"; exit 77; }
    [ "$TERM_RUNS" -gt 0 ] && tt kill-session -t "$T" >/dev/null 2>&1
    TERM_RUNS=$((TERM_RUNS + 1))
    T=run$TERM_RUNS
    tt new-session -d -s "$T" -x 132 -y 50 -c "$WORKDIR" \
        env LC_ALL=C.UTF-8 LANG=C.UTF-8 TERM=xterm PS1='$ ' dash -i || fail "tmux could not start dash"
    wait_text '$ '
}

# The whole screen, scrollback included, as the person sees it.
screen() { tt capture-pane -p -J -S - -t "$T" 2>/dev/null; }

# Occurrences of a fixed text on the screen.
count() { screen | grep -o -F -- "$1" | wc -l; }

# wait_text TEXT [N]: until TEXT is shown at least N times (default 1).
wait_text() {
    local want=${2:-1} deadline=$((SECONDS + TERM_TIMEOUT))
    while [ "$(count "$1")" -lt "$want" ]; do
        [ "$SECONDS" -lt "$deadline" ] || fail "'$1' not shown $want time(s) within ${TERM_TIMEOUT}s"
        ended && fail "the program ended before '$1' was shown $want time(s)"
        sleep 0.05
    done
}

# shown_within TEXT N SECONDS: true when TEXT is shown at least N times
# within SECONDS; no failure otherwise.
shown_within() {
    local deadline=$((SECONDS + $3))
    while [ "$(count "$1")" -lt "$2" ]; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# still_count TEXT N: TEXT is shown exactly N times, and still after a short
# pause (the program has not gone on by itself).
still_count() {
    local got
    got=$(count "$1")
    [ "$got" -eq "$2" ] || fail "'$1' shown $got time(s), expected $2"
    sleep 0.3
    got=$(count "$1")
    [ "$got" -eq "$2" ] || fail "'$1' shown $got time(s) without input, expected $2"
}

# expect_line REGEX: some line of the screen matches the extended REGEX.
expect_line() { screen | grep -q -E -- "$1" || fail "no line matches /$1/"; }

# expect_exact TEXT: some line of the screen is exactly TEXT.
expect_exact() { screen | grep -q -x -F -- "$1" || fail "no line is exactly '$1'"; }

# expect_absent TEXT: TEXT is nowhere on the screen.
expect_absent() {
    local got
    got=$(count "$1")
    [ "$got" -eq 0 ] || fail "'$1' shown $got time(s), expected none"
}

# enter TEXT: types TEXT and presses Enter.
enter() { tt send-keys -t "$T" -l -- "$1" \; send-keys -t "$T" Enter; }

# key TEXT: presses the keys of TEXT, without Enter.
key() { tt send-keys -t "$T" -l -- "$1"; }

# The modes of the pane's terminal, one a line, as stty shows them.
tty_modes() { stty -F "$(tt display -p -t "$T" '#{pane_tty}')" -a 2>/dev/null | tr ' ;' '\n'; }
has_mode() { tty_modes | grep -q -x -e "$1"; }

# wait_key_wait: until the program waits for a key: the terminal has been
# switched to reading single keys without echo.
wait_key_wait() {
    local deadline=$((SECONDS + TERM_TIMEOUT))
    until has_mode -icanon && has_mode -echo; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the terminal never left line mode for a key wait"
        sleep 0.05
    done
}

# wait_line_mode: until the terminal is back in line mode with echo.
wait_line_mode() {
    local deadline=$((SECONDS + TERM_TIMEOUT))
    until has_mode icanon && has_mode echo; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the terminal was not restored to line mode with echo"
        sleep 0.05
    done
}

# True once the program has ended and everything it wrote is on the screen
# (the pane's terminal is closed once the recording shell has ended too).
ended() { [ -s "$TERM_STATUS" ] && [ "$(tt display -p -t "$T" '#{pane_dead}')" = 1 ]; }

# wait_exit [STATUS]: until the program has ended, with STATUS (default 0).
# With TERM_CLOSING_NOTE set (a console window of the program's own on
# Windows), the program must first show that line on a line of its own and
# wait there; a key press then ends it.
wait_exit() {
    local want=${1:-0} status deadline=$((SECONDS + TERM_TIMEOUT))
    if [ -n "${TERM_CLOSING_NOTE:-}" ]; then
        wait_text "$TERM_CLOSING_NOTE"
        still_count "$TERM_CLOSING_NOTE" 1
        ended && fail "the program ended without waiting for a key"
        expect_exact "$TERM_CLOSING_NOTE"
        key x
    fi
    until ended; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the program did not end within ${TERM_TIMEOUT}s"
        sleep 0.05
    done
    read -r status <"$TERM_STATUS"
    [ "$status" = "$want" ] || fail "exit status $status, expected $want"
}

# cp1251 TEXT: the Windows-1251 bytes of a UTF-8 TEXT, on standard output.
cp1251() { printf '%s' "$1" | iconv -f UTF-8 -t CP1251; }
