// Memory follows the lines typed, not the sizes typed: a count and a size
// near the largest int must cost nothing until lines arrive.
#include "lines.h"
#include "stringsort.h"

#include "support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <malloc.h>
#include <string>

namespace {

using namespace stringsort;

// The room the allocator gave a block.
std::size_t allocated_size(void* p) {
#ifdef _WIN32
    return _msize(p);
#else
    return malloc_usable_size(p);
#endif
}

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

TEST(Entries, SizesAllowed) {
    EXPECT_TRUE(sizes_allowed(0, -5));
    EXPECT_TRUE(sizes_allowed(INT_MAX, 1));
    EXPECT_FALSE(sizes_allowed(-1, 10));
    EXPECT_FALSE(sizes_allowed(1, 0));
    EXPECT_FALSE(sizes_allowed(INT_MAX, INT_MIN));
}

TEST(LineBuffer, HoldsWhatWasKeptWhateverTheSize) {
    test_support::session s("Abc 5\n" + std::string(100000, 'x') + "\n");
    char* lines[2] = {nullptr, nullptr};
    ASSERT_TRUE(read_line(s.c, lines, 0, INT_MAX));
    ASSERT_TRUE(read_line(s.c, lines, 1, INT_MAX));
    EXPECT_STREQ(lines[0], "Abc 5");
    EXPECT_LT(allocated_size(lines[0]), 64u);
    EXPECT_EQ(std::string(lines[1]), std::string(100000, 'x'));
    EXPECT_LT(allocated_size(lines[1]), 100000u + 64u);
    std::free(lines[0]);
    std::free(lines[1]);
}

TEST(LineBuffer, EndOfInputLeavesTheLineAsItWas) {
    test_support::session s("partial");
    char* lines[1] = {nullptr};
    EXPECT_FALSE(read_line(s.c, lines, 0, 100));
    EXPECT_EQ(lines[0], nullptr);
}

TEST(Dialogue, LargestCountAndSizeAskForLinesAtOnce) {
    EXPECT_EQ(test_support::dialogue(run, "2147483647\n2147483647\nfirst\nsecond\n"),
              "Vvedite kolovo strok n = Vvedite razmer strok m = Vvedite 1 stroky:\n"
              "Vvedite 2 stroky:\nVvedite 3 stroky:\n");
}

} // namespace
