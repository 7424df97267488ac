// The console on file descriptors of a POSIX system: a full device, and
// pipes that deliver output and long input in pieces.
#include "console.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using namespace con;

TEST(Output, AFailedWriteEndsTheDialogueAndTheRunFails) {
    int full = ::open("/dev/full", O_WRONLY);
    if (full < 0) GTEST_SKIP() << "no /dev/full here";
    console c;
    open_descriptors(c, -1, full);
    write(c, "lost");
    EXPECT_FALSE(ended(c));
    flush(c);
    EXPECT_TRUE(ended(c));
    EXPECT_EQ(close(c), 1);
    ::close(full);
}

TEST(Output, IsFlushedBeforeReadingTheNextLineFromADescriptor) {
    int in_pipe[2];
    int out_pipe[2];
    ASSERT_EQ(pipe(in_pipe), 0);
    ASSERT_EQ(pipe(out_pipe), 0);
    ASSERT_EQ(::write(in_pipe[1], "5\n", 2), 2);
    ::close(in_pipe[1]);
    console c;
    open_descriptors(c, in_pipe[0], out_pipe[1]);
    write(c, "prompt: ");
    std::int32_t value = 0;
    EXPECT_EQ(read_int(c, value), got::value);
    EXPECT_EQ(value, 5);
    char seen[16] = {};
    EXPECT_EQ(::read(out_pipe[0], seen, sizeof seen), 8);
    EXPECT_STREQ(seen, "prompt: ");
    ::close(in_pipe[0]);
    ::close(out_pipe[0]);
    ::close(out_pipe[1]);
}

TEST(Input, LongLinesAcrossManyBlocks) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::string big(200000, 'q');
    // A child writes the line in pieces so that the reader sees many blocks.
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(fds[0]);
        std::string data = big + "\n7\n";
        for (std::size_t at = 0; at < data.size(); at += 1000)
            if (::write(fds[1], data.data() + at, std::min<std::size_t>(1000, data.size() - at)) < 0)
                _exit(1);
        _exit(0);
    }
    ::close(fds[1]);
    console c;
    open_descriptors(c, fds[0], -1);
    std::string text;
    ASSERT_TRUE(read_text(c, text));
    EXPECT_EQ(text, big);
    std::int32_t value = 0;
    EXPECT_EQ(read_int(c, value), got::value);
    EXPECT_EQ(value, 7);
    ::close(fds[0]);
}
