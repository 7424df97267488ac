// The key wait only happens on a terminal, so these run the dialogue on a
// pseudo-terminal.
#include "scratch.h"
#include "studentdb.h"

#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>

namespace studentdb_test {
namespace {

// Collects what the dialogue shows until text appears or wait_ms pass
// without new output.
bool shown(int master, std::string& screen, std::string_view text, int wait_ms) {
    for (;;) {
        if (screen.find(text) != std::string::npos) return true;
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, wait_ms) <= 0) return false;
        char buf[4096];
        ssize_t got = ::read(master, buf, sizeof buf);
        if (got <= 0) return false;
        screen.append(buf, static_cast<std::size_t>(got));
    }
}

using tty_test = scratch_dir;

TEST_F(tty_test, MissingFileMessageWaitsForOneKeyOnTerminal) {
    int master = -1;
    pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::setenv("LC_ALL", "C.UTF-8", 1);
        ::_exit(con::run_stdio("studentdb", studentdb::run));
    }
    std::string screen;
    EXPECT_TRUE(shown(master, screen, "Файла не существует!\r\n", 10000)) << screen;
    // Until a key is pressed the menu does not appear.
    EXPECT_FALSE(shown(master, screen, "0 - выход", 500)) << screen;
    ASSERT_EQ(::write(master, "x", 1), 1);
    EXPECT_TRUE(shown(master, screen, "6 - вывод на экран\r\n", 10000)) << screen;
    // The key was taken without echo and is not read as a menu choice.
    EXPECT_EQ(screen.find('x'), std::string::npos) << screen;
    EXPECT_EQ(screen.find("Повторите"), std::string::npos) << screen;
    ASSERT_EQ(::write(master, "0\n", 2), 2);
    // Read on until the dialogue ends and the terminal closes.
    EXPECT_FALSE(shown(master, screen, "\nafter the end", 10000));
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(master);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists("students.dat"));
}

} // namespace
} // namespace studentdb_test
