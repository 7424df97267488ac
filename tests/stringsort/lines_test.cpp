#include "lines.h"

#include "support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

using namespace stringsort;

// Reads lines from typed input into buffers of size m; returns what the
// buffers hold and the character the next read would take.
struct reader : test_support::session {
    tables t;

    reader(std::string_view input, int count) : session(input), t{.most = count} {
        while (t.count < count) EXPECT_TRUE(add_entry(t));
    }
    ~reader() { release_tables(t); }
};

TEST(ReadLine, ShortLineLosesOnlyItsLineBreak) {
    reader r("abc\nnext\n", 1);
    ASSERT_TRUE(read_line(r.c, r.t, 0, 5));
    EXPECT_STREQ(r.t.lines[0], "abc");
    EXPECT_EQ(con::read_char(r.c), 'n'); // nothing of the line was left
    EXPECT_EQ(r.output(), "Vvedite 1 stroky:\n");
}

TEST(ReadLine, LineOfMMinusOneCharactersStaysWhole) {
    reader r("abc\nz\n", 1);
    ASSERT_TRUE(read_line(r.c, r.t, 0, 4));
    EXPECT_STREQ(r.t.lines[0], "abc");
    EXPECT_EQ(con::read_char(r.c), 'z');
}

TEST(ReadLine, LongLineKeepsMMinusOneAndLeavesTheRestPending) {
    reader r("abcdef\n", 1);
    ASSERT_TRUE(read_line(r.c, r.t, 0, 4));
    EXPECT_STREQ(r.t.lines[0], "abc"); // the d is lost
    EXPECT_EQ(con::read_char(r.c), 'e');
}

TEST(ReadLine, LineOfMCharactersLeavesItsLineBreak) {
    reader r("abcd\n", 1);
    ASSERT_TRUE(read_line(r.c, r.t, 0, 4));
    EXPECT_STREQ(r.t.lines[0], "abc");
    EXPECT_EQ(con::read_char(r.c), '\n');
}

TEST(ReadLine, SizeOneGivesEmptyLinesYetTakesATypedLineEach) {
    reader r("first\nsecond\n", 2);
    ASSERT_TRUE(read_line(r.c, r.t, 0, 1));
    ASSERT_TRUE(read_line(r.c, r.t, 1, 1));
    EXPECT_STREQ(r.t.lines[0], "");
    EXPECT_STREQ(r.t.lines[1], "");
    EXPECT_EQ(con::read_char(r.c), 'e'); // the second line's first character was taken
}

TEST(ReadLine, DiscardsWhatIsPendingBeforeReading) {
    reader r("rest of an earlier line\nwanted\n", 1);
    ASSERT_EQ(con::read_char(r.c), 'r');
    ASSERT_TRUE(read_line(r.c, r.t, 0, 20));
    EXPECT_STREQ(r.t.lines[0], "wanted");
}

TEST(ReadLine, KeepsSpacesAndBytesAsTyped) {
    reader r("  x \t\xC1\xFF\r\n\n", 2);
    ASSERT_TRUE(read_line(r.c, r.t, 0, 20));
    ASSERT_TRUE(read_line(r.c, r.t, 1, 20));
    EXPECT_STREQ(r.t.lines[0], "  x \t\xC1\xFF\r");
    EXPECT_STREQ(r.t.lines[1], "");
}

TEST(ReadLine, EndOfInputInsideALineIsReported) {
    reader r("abc", 2);
    EXPECT_FALSE(read_line(r.c, r.t, 0, 10));
    EXPECT_TRUE(con::ended(r.c));
}

} // namespace
