#include "lines.h"

#include "support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

using namespace stringsort;

TEST(Tables, AllocatedWithZeroSums) {
    char** lines = nullptr;
    std::int32_t** sums = nullptr;
    ASSERT_TRUE(allocate_tables(lines, sums, 3, 5));
    ASSERT_NE(lines, nullptr);
    ASSERT_NE(sums, nullptr);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(*sums[i], 0);
        std::memset(lines[i], 'x', 5); // each buffer holds m characters
    }
    EXPECT_NE(lines[0], lines[1]);
    EXPECT_NE(sums[0], sums[1]);
    release_tables(lines, sums, 3);
}

TEST(Tables, RefusedForNegativeCountOrNoRoomForTheZero) {
    char* stale = nullptr;
    char** lines = &stale;
    std::int32_t** sums = nullptr;
    EXPECT_FALSE(allocate_tables(lines, sums, -1, 10));
    EXPECT_EQ(lines, nullptr);
    EXPECT_FALSE(allocate_tables(lines, sums, 1, 0));
    EXPECT_FALSE(allocate_tables(lines, sums, 2, -7));
    EXPECT_EQ(lines, nullptr);
    EXPECT_EQ(sums, nullptr);
}

TEST(Tables, NoLinesNeedNoTablesWhateverTheSize) {
    char** lines = nullptr;
    std::int32_t** sums = nullptr;
    EXPECT_TRUE(allocate_tables(lines, sums, 0, -3));
    EXPECT_TRUE(allocate_tables(lines, sums, 0, 10));
    release_tables(lines, sums, 0);
}

// Reads lines from typed input into buffers of size m; returns what the
// buffers hold and the character the next read would take.
struct reader : test_support::session {
    char** lines = nullptr;
    std::int32_t** sums = nullptr;
    int n;

    reader(std::string_view input, int count, int m) : session(input), n(count) {
        EXPECT_TRUE(allocate_tables(lines, sums, n, m));
    }
    ~reader() { release_tables(lines, sums, n); }
};

TEST(ReadLine, ShortLineLosesOnlyItsLineBreak) {
    reader r("abc\nnext\n", 1, 5);
    ASSERT_TRUE(read_line(r.c, r.lines, 0, 5));
    EXPECT_STREQ(r.lines[0], "abc");
    EXPECT_EQ(con::read_char(r.c), 'n'); // nothing of the line was left
    EXPECT_EQ(r.output(), "Vvedite 1 stroky:\n");
}

TEST(ReadLine, LineOfMMinusOneCharactersStaysWhole) {
    reader r("abc\nz\n", 1, 4);
    ASSERT_TRUE(read_line(r.c, r.lines, 0, 4));
    EXPECT_STREQ(r.lines[0], "abc");
    EXPECT_EQ(con::read_char(r.c), 'z');
}

TEST(ReadLine, LongLineKeepsMMinusOneAndLeavesTheRestPending) {
    reader r("abcdef\n", 1, 4);
    ASSERT_TRUE(read_line(r.c, r.lines, 0, 4));
    EXPECT_STREQ(r.lines[0], "abc"); // the d is lost
    EXPECT_EQ(con::read_char(r.c), 'e');
}

TEST(ReadLine, LineOfMCharactersLeavesItsLineBreak) {
    reader r("abcd\n", 1, 4);
    ASSERT_TRUE(read_line(r.c, r.lines, 0, 4));
    EXPECT_STREQ(r.lines[0], "abc");
    EXPECT_EQ(con::read_char(r.c), '\n');
}

TEST(ReadLine, SizeOneGivesEmptyLinesYetTakesATypedLineEach) {
    reader r("first\nsecond\n", 2, 1);
    ASSERT_TRUE(read_line(r.c, r.lines, 0, 1));
    ASSERT_TRUE(read_line(r.c, r.lines, 1, 1));
    EXPECT_STREQ(r.lines[0], "");
    EXPECT_STREQ(r.lines[1], "");
    EXPECT_EQ(con::read_char(r.c), 'e'); // the second line's first character was taken
}

TEST(ReadLine, DiscardsWhatIsPendingBeforeReading) {
    reader r("rest of an earlier line\nwanted\n", 1, 20);
    ASSERT_EQ(con::read_char(r.c), 'r');
    ASSERT_TRUE(read_line(r.c, r.lines, 0, 20));
    EXPECT_STREQ(r.lines[0], "wanted");
}

TEST(ReadLine, KeepsSpacesAndBytesAsTyped) {
    reader r("  x \t\xC1\xFF\r\n\n", 2, 20);
    ASSERT_TRUE(read_line(r.c, r.lines, 0, 20));
    ASSERT_TRUE(read_line(r.c, r.lines, 1, 20));
    EXPECT_STREQ(r.lines[0], "  x \t\xC1\xFF\r");
    EXPECT_STREQ(r.lines[1], "");
}

TEST(ReadLine, EndOfInputInsideALineIsReported) {
    reader r("abc", 2, 10);
    EXPECT_FALSE(read_line(r.c, r.lines, 0, 10));
    EXPECT_TRUE(con::ended(r.c));
}

TEST(PrintLines, EachLineAfterALineBreakAndNothingAfterTheLast) {
    reader r("", 2, 8);
    std::memcpy(r.lines[0], "one", sizeof "one");
    std::memcpy(r.lines[1], "", sizeof "");
    print_lines(r.c, r.lines, 2);
    print_lines(r.c, r.lines, 0);
    con::flush(r.c);
    EXPECT_EQ(r.out, "\n stroka: one\n stroka: ");
}

} // namespace
