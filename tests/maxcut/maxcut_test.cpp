#include "maxcut.h"

#include "support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// A request the system cannot meet must come back as a null pointer here,
// as it does without the sanitizer, instead of stopping the test.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

// The removal entry by entry: rows shift up one at a time, then for each
// row the entry in column p is dropped by moving every later live entry
// one place toward the start.
std::vector<int> remove_by_shifting(std::vector<int> a, int n, int x, int p) {
    for (int r = x; r <= n - 2; ++r)
        for (int j = 0; j < n; ++j) a[r * n + j] = a[(r + 1) * n + j];
    int live = (n - 1) * n;
    for (int i = 0; i <= n - 2; ++i) {
        for (int m = i * n + p - i; m + 1 < live; ++m) a[m] = a[m + 1];
        --live;
    }
    a.resize(static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(n - 1));
    return a;
}

std::vector<int> cut(int* mas, int n, int x, int p) {
    maxcut::remove_row(mas, n, x);
    maxcut::remove_column(mas, n, p);
    return std::vector<int>(mas, mas + static_cast<std::ptrdiff_t>(n - 1) * (n - 1));
}

TEST(Removal, MatchesEntryByEntryShiftingForEveryRowAndColumn) {
    std::mt19937 rng(2024);
    for (int n = 1; n <= 8; ++n) {
        for (int x = 0; x < n; ++x) {
            for (int p = 0; p < n; ++p) {
                std::vector<int> a(static_cast<std::size_t>(n * n));
                for (int& v : a) v = static_cast<int>(rng() % 2001) - 1000;
                std::vector<int> work = a;
                EXPECT_EQ(cut(work.data(), n, x, p), remove_by_shifting(a, n, x, p))
                    << "n=" << n << " x=" << x << " p=" << p;
            }
        }
    }
}

TEST(AbsAndMax, NegativesBecomePositiveAndTheFirstLargestWins) {
    std::vector<int> a = {3, -5, 5, 1};
    maxcut::largest_element largest = maxcut::abs_and_max(a.data(), 2);
    EXPECT_EQ(a, (std::vector<int>{3, 5, 5, 1}));
    EXPECT_EQ(largest.value, 5);
    EXPECT_EQ(largest.row, 0);
    EXPECT_EQ(largest.column, 1);

    std::vector<int> b = {1, 2, 3, 4, -9, 6, 7, 8, 5};
    largest = maxcut::abs_and_max(b.data(), 3);
    EXPECT_EQ(largest.value, 9);
    EXPECT_EQ(largest.row, 1);
    EXPECT_EQ(largest.column, 1);
}

TEST(AbsAndMax, NegativeCornerIsTakenByItsAbsoluteValue) {
    std::vector<int> a = {-9, 1, 2, 3};
    maxcut::largest_element largest = maxcut::abs_and_max(a.data(), 2);
    EXPECT_EQ(largest.value, 9);
    EXPECT_EQ(largest.row, 0);
    EXPECT_EQ(largest.column, 0);
    std::vector<int> b = {-1, -2, -3, -8};
    largest = maxcut::abs_and_max(b.data(), 2);
    EXPECT_EQ(largest.value, 8);
    EXPECT_EQ(largest.row, 1);
    EXPECT_EQ(largest.column, 1);
}

TEST(AbsAndMax, SmallestIntegerStaysNegativeAndIsNeverTheMaximum) {
    std::vector<int> a = {INT_MIN, 4, INT_MIN, 2};
    maxcut::largest_element largest = maxcut::abs_and_max(a.data(), 2);
    EXPECT_EQ(a, (std::vector<int>{INT_MIN, 4, INT_MIN, 2}));
    EXPECT_EQ(largest.value, 4);
    EXPECT_EQ(largest.row, 0);
    EXPECT_EQ(largest.column, 1);

    std::vector<int> b = {INT_MIN};
    largest = maxcut::abs_and_max(b.data(), 1);
    EXPECT_EQ(largest.value, INT_MIN);
    EXPECT_EQ(largest.row, 0);
    EXPECT_EQ(largest.column, 0);
}

TEST(Allocation, SizesBeyondAnyBlockAreRefused) {
    EXPECT_EQ(maxcut::alloc_block(2000000000), nullptr); // bytes above the largest object size
    EXPECT_EQ(maxcut::alloc_block(INT32_MAX), nullptr);
    EXPECT_EQ(maxcut::alloc_block(1500000000), nullptr); // fits the size, not the machine
    EXPECT_EQ(maxcut::alloc_block(0), nullptr);
    EXPECT_EQ(maxcut::alloc_block(-3), nullptr);
}

TEST(Allocation, ShrinkKeepsTheResultAndAnEmptyBlockForOneRelease) {
    int* mas = maxcut::alloc_block(300);
    ASSERT_NE(mas, nullptr);
    for (int i = 0; i < 4; ++i) mas[i] = i + 1;
    mas = maxcut::shrink(mas, 2);
    ASSERT_NE(mas, nullptr);
    EXPECT_EQ(std::vector<int>(mas, mas + 4), (std::vector<int>{1, 2, 3, 4}));
    int* same = maxcut::shrink(mas, 0);
    EXPECT_EQ(same, mas);
    std::free(same);
}

std::string dialogue(std::string_view input) { return test_support::dialogue(maxcut::run, input); }

TEST(Dialogue, RemovesTheLargestOfAWideRangeOfValues) {
    // A row per line, values large enough to fill the five-column field.
    std::string out = dialogue("3\n-2147483648 100000 -7\n99999 -123456 0\n5 6 7\n");
    EXPECT_EQ(out.substr(out.find("\nRezyltat:")), "\nRezyltat:\n-2147483648    7\n    5    7");
}

TEST(Dialogue, PromptsAndListingsAreFormattedAsPrintfDoes) {
    // Twelve rows make two-digit indices; the values cover every length,
    // both signs and both ends of the range. The largest, INT_MAX, sits at
    // row 11, column 0.
    const std::vector<int> values = {0,          7,       -7,         10,        -10,    99,
                                     -99,        100,     12345,      -12345,    123456, -1234567,
                                     2147483647, INT_MIN, 1000000000, -999999999};
    const int n = 12;
    std::vector<int> m(static_cast<std::size_t>(n) * n);
    for (int k = 0; k < n * n; ++k) m[k] = values[k % values.size()];
    constexpr int largest_at = 11 * n;
    m[largest_at] = INT_MAX;
    for (int k = 0; k < n * n; ++k)
        if (m[k] == INT_MAX && k != largest_at) m[k] = 5;

    std::string input = std::to_string(n) + "\n";
    for (int k = 0; k < n * n; ++k) input += std::to_string(m[k]) + (k % n == n - 1 ? "\n" : " ");

    char piece[64];
    std::string expected = "Vvedite razmer mas = Vvod elementov mas\n";
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            std::snprintf(piece, sizeof piece, "mas[%d][%d] = ", i, j);
            expected += piece;
        }
    expected += "Vvedenn mas:";
    for (int i = 0; i < n; ++i) {
        expected += "\n";
        for (int j = 0; j < n; ++j) {
            std::snprintf(piece, sizeof piece, "%5d", m[i * n + j]);
            expected += piece;
        }
    }
    expected += "\nRezyltat:";
    for (int i = 0; i < n - 1; ++i) {
        expected += "\n";
        for (int j = 1; j < n; ++j) {
            int v = m[i * n + j];
            std::snprintf(piece, sizeof piece, "%5d", v < 0 && v != INT_MIN ? -v : v);
            expected += piece;
        }
    }
    EXPECT_EQ(dialogue(input), expected);
}

} // namespace
