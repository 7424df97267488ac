// The console on Windows pipes: typed CR LF read as one line break, even
// when a pipe delivers the CR and its LF apart; every line break written as
// CR LF; long input in pieces; a write that fails; no key wait.
#include "console.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <string>
#include <thread>
#include <vector>

using namespace con;

namespace {

struct pipe_pair {
    int read_end = -1;
    int write_end = -1;
    pipe_pair() {
        int fds[2];
        EXPECT_EQ(::_pipe(fds, 1 << 16, _O_BINARY), 0);
        read_end = fds[0];
        write_end = fds[1];
    }
    pipe_pair(const pipe_pair&) = delete;
    pipe_pair& operator=(const pipe_pair&) = delete;
    ~pipe_pair() {
        close_read();
        close_write();
    }
    void close_read() {
        if (read_end >= 0) ::_close(read_end);
        read_end = -1;
    }
    void close_write() {
        if (write_end >= 0) ::_close(write_end);
        write_end = -1;
    }
};

// A console reading what a typist puts into a pipe: the pieces one after
// another, a pause apart, so that the reader meets them in separate reads;
// then the end of the input.
struct typed_input {
    pipe_pair pipe;
    std::thread typist;
    console c;
    explicit typed_input(std::vector<std::string> pieces,
                         std::chrono::milliseconds pause = std::chrono::milliseconds(30)) {
        typist = std::thread([this, pieces = std::move(pieces), pause] {
            for (const std::string& piece : pieces) {
                if (::_write(pipe.write_end, piece.data(), static_cast<unsigned>(piece.size())) < 0) break;
                std::this_thread::sleep_for(pause);
            }
            pipe.close_write();
        });
        open_descriptors(c, pipe.read_end, -1);
    }
    typed_input(const typed_input&) = delete;
    typed_input& operator=(const typed_input&) = delete;
    ~typed_input() { typist.join(); }
};

std::string next_line(console& c) {
    std::string text;
    EXPECT_TRUE(read_text(c, text));
    return text;
}

} // namespace

TEST(WindowsInput, CrLfIsOneLineBreakAndALoneCrStays) {
    typed_input typed({"12\r\na\rb\r\n\r\nlast\r"});
    console& c = typed.c;
    std::int32_t value = 0;
    EXPECT_EQ(read_int(c, value), got::value);
    EXPECT_EQ(value, 12);
    EXPECT_EQ(read_char(c), '\n');
    EXPECT_EQ(next_line(c), "a\rb");
    EXPECT_EQ(next_line(c), "");
    // A CR that ends the input has no LF to join: it stays a character.
    EXPECT_EQ(next_line(c), "last\r");
    EXPECT_EQ(read_char(c), end_of_input);
}

TEST(WindowsInput, ACrAndItsLfInSeparateReadsAreStillOneLineBreak) {
    typed_input typed({"first\r", "\nsecond\r", "\r", "\nthird\n"});
    EXPECT_EQ(next_line(typed.c), "first");
    EXPECT_EQ(next_line(typed.c), "second\r");
    EXPECT_EQ(next_line(typed.c), "third");
    EXPECT_EQ(read_char(typed.c), end_of_input);
}

TEST(WindowsInput, LongLinesAcrossManyBlocks) {
    std::string big(200000, 'q');
    std::string data = big + "\r\n7\r\n";
    std::vector<std::string> pieces;
    for (std::size_t at = 0; at < data.size(); at += 4093) pieces.push_back(data.substr(at, 4093));
    typed_input typed(std::move(pieces), std::chrono::milliseconds(0));
    EXPECT_EQ(next_line(typed.c), big);
    std::int32_t value = 0;
    EXPECT_EQ(read_int(typed.c, value), got::value);
    EXPECT_EQ(value, 7);
}

TEST(WindowsOutput, LineBreaksAreWrittenAsCrLf) {
    pipe_pair p;
    console c;
    open_descriptors(c, -1, p.write_end);
    write(c, "a\nb\n\nc");
    put_char(c, '\n');
    EXPECT_EQ(close(c), 0);
    p.close_write();
    std::string seen;
    char buf[64];
    for (int got; (got = ::_read(p.read_end, buf, sizeof buf)) > 0;)
        seen.append(buf, static_cast<std::size_t>(got));
    EXPECT_EQ(seen, "a\r\nb\r\n\r\nc\r\n");
}

TEST(WindowsOutput, AFailedWriteEndsTheDialogueAndTheRunFails) {
    pipe_pair p;
    p.close_read(); // nobody reads: every write fails
    console c;
    open_descriptors(c, -1, p.write_end);
    write(c, "lost\n");
    EXPECT_FALSE(ended(c));
    flush(c);
    EXPECT_TRUE(ended(c));
    EXPECT_EQ(close(c), 1);
}

TEST(WindowsInput, NoKeyWaitOnAPipe) {
    typed_input typed({"x\r\n"});
    EXPECT_EQ(read_char(typed.c), 'x');
    wait_key(typed.c); // returns at once and takes nothing
    EXPECT_EQ(read_char(typed.c), '\n');
    EXPECT_EQ(read_char(typed.c), end_of_input);
}
