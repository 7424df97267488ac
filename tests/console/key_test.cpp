#include "console.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

struct pseudo_terminal {
    int master = -1;
    int slave = -1;
    pseudo_terminal() { EXPECT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0); }
    pseudo_terminal(const pseudo_terminal&) = delete;
    pseudo_terminal& operator=(const pseudo_terminal&) = delete;
    ~pseudo_terminal() {
        ::close(master);
        ::close(slave);
    }
    tcflag_t local_modes() const {
        termios t{};
        ::tcgetattr(slave, &t);
        return t.c_lflag;
    }
};

// What the next line-mode read would get, or "" when nothing comes in time.
std::string pending_line(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 2000) != 1) return "";
    char buf[64];
    ssize_t got = ::read(fd, buf, sizeof buf);
    return got > 0 ? std::string(buf, static_cast<std::size_t>(got)) : "";
}

TEST(KeyWait, TakesOneKeyAndLeavesWhatIsTypedAfterIt) {
    const std::pair<std::string, std::string> typed[] = {
        {"Q", "1\n"},        // a plain key
        {"\xD0\xB4", "2\n"}, // a letter sent as two UTF-8 bytes
        {"\x1B[A", "3\n"},   // an arrow key
        {"\x1B[15~", "4\n"}, // a function key with parameters
        {"\x1BOP", "5\n"},   // a function key in the other form
    };
    for (const auto& [key, after] : typed) {
        pseudo_terminal pty;
        con::console c;
        con::open_descriptors(c, pty.slave, -1);
        std::thread waiter([&] { con::wait_key(c); });
        // Type only once the key wait has switched the terminal, as a quick
        // typist would: the key and the next answer in one burst.
        for (int tries = 0; tries < 400 && (pty.local_modes() & ICANON) != 0; ++tries) ::usleep(5000);
        EXPECT_EQ(pty.local_modes() & (ICANON | ECHO), 0u) << "no echo and no line mode while waiting";
        std::string burst = key + after;
        ASSERT_EQ(::write(pty.master, burst.data(), burst.size()), static_cast<ssize_t>(burst.size()));
        waiter.join();
        EXPECT_EQ(pty.local_modes() & (ICANON | ECHO), static_cast<tcflag_t>(ICANON | ECHO))
            << "line mode with echo restored";
        EXPECT_EQ(pending_line(pty.slave), after) << "key " << key.size() << " bytes";
    }
}

} // namespace
