// The console on POSIX systems: reads and writes on file descriptors, the
// locale's character set, and the key wait in the terminal's one-key mode.
#include "blocks.h"
#include "cp1251.h"
#include "state.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <termios.h>
#include <unistd.h>

namespace con::sys {

namespace {

// A locale named UTF-8 is taken at its word even where it is not installed
// (as often in containers): the person's terminal speaks UTF-8 all the same.
bool locale_is_utf8() {
    if (locale_name_is_utf8()) return true;
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    std::string saved = current != nullptr ? current : "C";
    bool utf8 = false;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const char* codeset = ::nl_langinfo(CODESET);
        utf8 =
            codeset != nullptr && (::strcasecmp(codeset, "UTF-8") == 0 || ::strcasecmp(codeset, "UTF8") == 0);
    }
    std::setlocale(LC_CTYPE, saved.c_str());
    return utf8;
}

// A read that a signal interrupts is tried again.
ssize_t read_fd(int fd, void* data, std::size_t size) {
    for (;;) {
        ssize_t got = ::read(fd, data, size);
        if (got >= 0 || errno != EINTR) return got;
    }
}

// False when no byte came: end of input, an error, or the short timeout
// while the rest of a key is collected.
bool read_key_byte(int fd, unsigned char& b) { return read_fd(fd, &b, 1) == 1; }

// A key may send several bytes: a letter outside ASCII, or Escape with a
// control sequence ("[" with parameters up to a final byte, or "O" and one
// byte). The wait takes them all and nothing typed after them.
void take_rest_of_key(int fd, unsigned char first) {
    unsigned char b = 0;
    if (first != 0x1B) {
        std::string key(1, static_cast<char>(first));
        while (utf8_cut_short(key) && read_key_byte(fd, b)) key += static_cast<char>(b);
        return;
    }
    if (!read_key_byte(fd, b)) return;
    if (b == '[') {
        while (read_key_byte(fd, b) && !(b >= 0x40 && b <= 0x7E)) {}
    } else if (b == 'O') {
        read_key_byte(fd, b);
    }
}

// While a key wait has the terminal in one-key mode, a signal that ends or
// stops the program first puts the terminal back as the person had it; the
// shell of a person who pressed Ctrl-C must not be left without echo.
constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
int key_fd = -1;
termios line_mode{};
termios key_mode{};
struct sigaction before[std::size(ending_signals)];

void set_handler(int sig, void (*handler)(int)) {
    struct sigaction act {};
    act.sa_handler = handler;
    ::sigemptyset(&act.sa_mask);
    ::sigaction(sig, &act, nullptr);
}

void on_signal(int sig) {
    int saved_errno = errno;
    ::tcsetattr(key_fd, TCSANOW, &line_mode);
    // The signal then takes its usual course: with the default action, and
    // unblocked, it ends or stops the program right here.
    set_handler(sig, SIG_DFL);
    sigset_t just_this;
    ::sigemptyset(&just_this);
    ::sigaddset(&just_this, sig);
    ::raise(sig);
    ::sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
    // Only a stop comes back here, when the program is continued: the wait
    // goes on in one-key mode.
    set_handler(sig, on_signal);
    ::tcsetattr(key_fd, TCSANOW, &key_mode);
    errno = saved_errno;
}

void catch_signals() {
    for (std::size_t i = 0; i < std::size(ending_signals); ++i) {
        ::sigaction(ending_signals[i], nullptr, &before[i]);
        // Ignored signals stay ignored.
        if (before[i].sa_handler != SIG_IGN) set_handler(ending_signals[i], on_signal);
    }
}

void release_signals() {
    for (std::size_t i = 0; i < std::size(ending_signals); ++i)
        ::sigaction(ending_signals[i], &before[i], nullptr);
}

} // namespace

std::size_t read_input(console_state& s, char* data, std::size_t size) {
    ssize_t got = read_fd(s.in_fd, data, size);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

bool write_output(console_state& s, const char* data, std::size_t size) {
    return blk::write_all(s.out_fd, data, size);
}

bool is_terminal(int fd) { return ::isatty(fd) != 0; }

void open_stdio(console_state& s) {
    s.in_fd = 0;
    s.out_fd = 1;
    s.terminal = is_terminal(0);
    s.out_terminal = is_terminal(1);
    s.utf8 = stdio_utf8(s, locale_is_utf8());
}

void close_stdio(console_state& /*s*/) {}

void wait_key(console_state& s) {
    if (::tcgetattr(s.in_fd, &line_mode) != 0) return;
    key_fd = s.in_fd;
    key_mode = line_mode;
    key_mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    key_mode.c_cc[VMIN] = 1;
    key_mode.c_cc[VTIME] = 0;
    catch_signals();
    if (::tcsetattr(s.in_fd, TCSANOW, &key_mode) == 0) {
        unsigned char first = 0;
        if (read_key_byte(s.in_fd, first)) {
            // The other bytes of a key arrive with the first one: wait at
            // most a tenth of a second for them, so that a lone Escape ends
            // the wait too.
            key_mode.c_cc[VMIN] = 0;
            key_mode.c_cc[VTIME] = 1;
            if (::tcsetattr(s.in_fd, TCSANOW, &key_mode) == 0) take_rest_of_key(s.in_fd, first);
        }
        // Back in line mode, whatever was typed after the key forms the next line.
        ::tcsetattr(s.in_fd, TCSANOW, &line_mode);
    }
    release_signals();
    key_fd = -1;
}

bool window_closes_at_end(const console_state& /*s*/) { return false; }

} // namespace con::sys
