// Memory follows the lines typed, not the sizes typed: a count and a size
// near the largest int must cost nothing until lines arrive.
#include "lines.h"
#include "stringsort.h"

#include "support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace stringsort;

TEST(Entries, TablesGrowWithTheLinesNotWithTheCount) {
    tables t{.most = INT_MAX};
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(add_entry(t));
    EXPECT_EQ(t.count, 3);
    EXPECT_LE(t.capacity, 16);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(t.lines[i], nullptr); // no buffer until the line is read
        EXPECT_EQ(*t.sums[i], 0);
    }
    release_tables(t);
}

TEST(Entries, NeverMoreThanTheCountAndEveryCellZero) {
    tables t{.most = 1000};
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(add_entry(t));
    EXPECT_EQ(t.capacity, 1000);
    EXPECT_FALSE(add_entry(t));
    EXPECT_EQ(t.count, 1000);
    for (int i = 0; i < 1000; ++i) EXPECT_EQ(*t.sums[i], 0);
    release_tables(t);
}

// Lines of every length up to a few thousand characters, and one longer
// than a block: each keeps its characters while later lines fill and leave
// blocks, and the blocks hold little more than what was typed.
TEST(LineBlocks, HoldWhatWasKeptWhateverTheSize) {
    std::vector<std::string> typed;
    for (std::size_t k = 0; k < 3000; ++k) typed.emplace_back(k, static_cast<char>('a' + k % 26));
    typed.insert(typed.begin() + 1000, std::string(100000, 'X'));
    std::string input;
    std::size_t kept = 0;
    for (const std::string& line : typed) {
        input += line + "\n";
        kept += line.size() + 1;
    }
    test_support::session s(input);
    tables t{.most = static_cast<int>(typed.size())};
    for (std::size_t i = 0; i < typed.size(); ++i) {
        ASSERT_TRUE(add_entry(t));
        ASSERT_TRUE(read_line(s.c, t, static_cast<int>(i), INT_MAX));
    }
    ASSERT_NE(t.lines, nullptr);
    for (std::size_t i = 0; i < typed.size(); ++i) EXPECT_STREQ(t.lines[i], typed[i].c_str()) << "line " << i;
    std::size_t room = 0;
    for (const text_block* b = t.newest; b != nullptr; b = b->previous) room += b->room;
    EXPECT_LE(room, 2 * kept + std::size_t{64} * 1024);
    release_tables(t);
}

TEST(LineBlocks, EndOfInputLeavesTheLineAsItWas) {
    test_support::session s("partial");
    tables t{.most = 1};
    ASSERT_TRUE(add_entry(t));
    EXPECT_FALSE(read_line(s.c, t, 0, 100));
    EXPECT_EQ(t.lines[0], nullptr);
    release_tables(t);
}

TEST(Dialogue, LargestCountAndSizeAskForLinesAtOnce) {
    EXPECT_EQ(test_support::dialogue(run, "2147483647\n2147483647\nfirst\nsecond\n"),
              "Vvedite kolovo strok n = Vvedite razmer strok m = Vvedite 1 stroky:\n"
              "Vvedite 2 stroky:\nVvedite 3 stroky:\n");
}

} // namespace
