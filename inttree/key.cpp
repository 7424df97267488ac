#include "key.h"

#include <cerrno>
#include <termios.h>
#include <unistd.h>

namespace inttree {

namespace {

// False when no byte came: end of input, an error, or the short timeout
// while the rest of a key is collected.
bool read_byte(int fd, unsigned char& b) {
    for (;;) {
        ssize_t got = ::read(fd, &b, 1);
        if (got == 1) return true;
        if (got < 0 && errno == EINTR) continue;
        return false;
    }
}

// The continuation bytes announced by a UTF-8 lead byte.
int utf8_tail(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) return 1;
    if (b >= 0xE0 && b <= 0xEF) return 2;
    if (b >= 0xF0 && b <= 0xF4) return 3;
    return 0;
}

void take_rest_of_key(int fd, unsigned char first) {
    unsigned char b = 0;
    if (first != 0x1B) {
        for (int k = utf8_tail(first); k > 0 && read_byte(fd, b); --k) {}
        return;
    }
    // Escape alone, Alt with a key (Escape and the key), or a control
    // sequence: "[" with parameters up to a final byte, or "O" and one byte.
    if (!read_byte(fd, b)) return;
    if (b == '[') {
        while (read_byte(fd, b) && !(b >= 0x40 && b <= 0x7E)) {}
    } else if (b == 'O') {
        read_byte(fd, b);
    }
}

} // namespace

void wait_one_key(con::console& c) {
    if (!c.in_tty || con::ended(c)) return;
    con::flush(c);
    termios saved{};
    if (::tcgetattr(c.in_fd, &saved) != 0) return;
    termios raw = saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (::tcsetattr(c.in_fd, TCSANOW, &raw) != 0) return;
    unsigned char first = 0;
    if (read_byte(c.in_fd, first)) {
        // The other bytes of a key arrive with the first one: wait at most a
        // tenth of a second for them, so that a lone Escape ends the wait too.
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 1;
        if (::tcsetattr(c.in_fd, TCSANOW, &raw) == 0) take_rest_of_key(c.in_fd, first);
    }
    // Back in line mode, keys typed after the one taken form the next line.
    ::tcsetattr(c.in_fd, TCSANOW, &saved);
}

} // namespace inttree
