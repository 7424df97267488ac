#include "lines.h"
#include "sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace stringsort;

// The two exchange sorts, step by step, one exchange at a time; the
// program's sorts must give exactly their orders.
const char* reference_key(const char* line) {
    while (*line != '\0' && !(*line >= 'A' && *line <= 'Z')) ++line;
    return line;
}

bool reference_greater(const char* line_a, const char* line_b) {
    const char* a = reference_key(line_a);
    const char* b = reference_key(line_b);
    while (*a == *b && *a != '\0') {
        ++a;
        ++b;
    }
    return static_cast<signed char>(*a) > static_cast<signed char>(*b);
}

void reference_sort_alpha(char** lines, int n) {
    for (int i = n - 1; i >= 0; --i)
        for (int k = n - 1; k > i; --k)
            if (reference_greater(lines[i], lines[k])) std::swap(lines[i], lines[k]);
}

void reference_sort_by_sums(char** lines, std::int32_t** sums, int n) {
    for (int i = n - 1; i >= 0; --i)
        for (int j = 0; j < i; ++j)
            if (*sums[i] < *sums[j]) {
                std::swap(sums[i], sums[j]);
                std::swap(lines[i], lines[j]);
            }
}

// Lines kept in strings; the tables hold pointers into them, so orders are
// compared by identity and equal lines stay distinguishable.
struct table {
    std::vector<std::string> text;
    std::vector<char*> lines;
    std::vector<std::int32_t> sum_cells;
    std::vector<std::int32_t*> sums;

    explicit table(std::vector<std::string> typed) : text(std::move(typed)) {
        for (auto& t : text) lines.push_back(t.data());
        sum_cells.assign(text.size(), 0);
        for (auto& s : sum_cells) sums.push_back(&s);
    }
    int n() const { return static_cast<int>(text.size()); }
};

std::vector<std::string> sorted_alpha(std::vector<std::string> typed) {
    table t(std::move(typed));
    sort_alpha(t.lines.data(), t.n());
    return {t.lines.begin(), t.lines.end()};
}

std::vector<std::string> sorted_by_sums(std::vector<std::string> typed) {
    table t(std::move(typed));
    for (int i = 0; i < t.n(); ++i) sum_line(t.lines.data(), t.sums.data(), i);
    sort_by_sums(t.lines.data(), t.sums.data(), t.n());
    return {t.lines.begin(), t.lines.end()};
}

// The copy is wanted: sum_line takes the line as writable text.
// cppcheck-suppress passedByValue
std::int32_t sum_of(std::string line) {
    std::int32_t cell = 0;
    std::int32_t* sums[] = {&cell};
    char* lines[] = {line.data()};
    sum_line(lines, sums, 0);
    return cell;
}

TEST(Key, StartsAtFirstCapitalAndStopsAtLineEnd) {
    std::string line = "ab1 Cd";
    EXPECT_EQ(find_key(line.c_str()), line.c_str() + 4);
    std::string none = "abc \x80z";
    EXPECT_EQ(find_key(none.c_str()), none.c_str() + none.size());
    EXPECT_EQ(*find_key(""), '\0');
}

TEST(Key, ComparesSignedBytesWithEndAsZero) {
    EXPECT_LT(compare_keys("AB", "Ab"), 0);
    EXPECT_LT(compare_keys("A", "A b"), 0);
    EXPECT_LT(compare_keys("A\xC1", "A"), 0); // a byte of 128 or more sorts before the end
    EXPECT_LT(compare_keys("A\x80", "A\xFF"), 0);
    EXPECT_LT(compare_keys("", "A"), 0);
    EXPECT_EQ(compare_keys("Abc", "Abc"), 0);
    EXPECT_GT(compare_keys("B", "A\x7F"), 0);
}

TEST(SortAlpha, ExamplesOfTheOrder) {
    EXPECT_EQ(sorted_alpha({"abcZeta", "Mike", "yyAlpha"}),
              (std::vector<std::string>{"yyAlpha", "Mike", "abcZeta"}));
    EXPECT_EQ(sorted_alpha({"AB", "Ab", "A b", "A"}), (std::vector<std::string>{"A", "A b", "AB", "Ab"}));
    EXPECT_EQ(sorted_alpha({"Bx", "xA", "yA"}), (std::vector<std::string>{"yA", "xA", "Bx"}));
    EXPECT_EQ(sorted_alpha({"Abc 5", "x Bcd -3"}), (std::vector<std::string>{"Abc 5", "x Bcd -3"}));
    EXPECT_EQ(sorted_alpha({"A", "xA\xE0"}), (std::vector<std::string>{"xA\xE0", "A"}));
}

TEST(SortAlpha, LinesWithoutCapitalsComeFirst) {
    // Their keys are all empty, so their order is the exchange sort's: Zed's
    // pass turns the group (123 to its front).
    EXPECT_EQ(sorted_alpha({"Zed", "plain", "", "Abc", "123"}),
              (std::vector<std::string>{"123", "plain", "", "Abc", "Zed"}));
}

TEST(SortAlpha, NoLineOrOneLineIsLeftAlone) {
    EXPECT_TRUE(sorted_alpha({}).empty());
    EXPECT_EQ(sorted_alpha({"zZ"}), (std::vector<std::string>{"zZ"}));
}

// Random lines from a few characters, so that keys, prefixes of keys and
// lines without capitals are frequent; bytes of 128 and above included.
std::string random_line(std::mt19937& rng, const std::string& alphabet, int max_length) {
    std::uniform_int_distribution<int> length(0, max_length);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string line;
    for (int len = length(rng); len > 0; --len) line += alphabet[pick(rng)];
    return line;
}

// The typed index of every entry, so that orders compare by identity.
std::vector<int> typed_indices(const table& t) {
    std::vector<int> order;
    for (char* line : t.lines)
        for (std::size_t k = 0; k < t.text.size(); ++k)
            if (t.text[k].data() == line) order.push_back(static_cast<int>(k));
    return order;
}

void check_alpha(const std::vector<std::string>& typed) {
    table fast(typed);
    table slow(typed);
    sort_alpha(fast.lines.data(), fast.n());
    reference_sort_alpha(slow.lines.data(), slow.n());
    ASSERT_EQ(typed_indices(fast), typed_indices(slow));
    ASSERT_EQ(typed_indices(fast).size(), typed.size()); // every line still there once
}

TEST(SortAlpha, SameOrderAsTheExchangeSortOnRandomTables) {
    std::mt19937 rng(7);
    const std::vector<std::string> alphabets = {"AB", "ABa", "ABCa x", "AAb\x80", "ABxy1 \xE0\xC1\x80",
                                                "a b"};
    std::uniform_int_distribution<int> count(0, 40);
    for (int round = 0; round < 4000; ++round) {
        const std::string& alphabet = alphabets[static_cast<std::size_t>(round) % alphabets.size()];
        std::vector<std::string> typed(static_cast<std::size_t>(count(rng)));
        for (auto& line : typed) line = random_line(rng, alphabet, 4);
        check_alpha(typed);
    }
}

TEST(SortAlpha, SameOrderAsTheExchangeSortOnLargeTablesWithFewKeys) {
    std::mt19937 rng(11);
    for (int round = 0; round < 12; ++round) {
        // Few distinct keys in large groups: groups turn many times, often
        // more than their size, between their own insertions.
        const std::string alphabet = round % 2 == 0 ? "ABC" : "ABx\xE0";
        std::vector<std::string> typed(round < 6 ? 300u : 1500u);
        for (auto& line : typed) line = random_line(rng, alphabet, round % 3 + 1);
        check_alpha(typed);
    }
}

TEST(SortAlpha, SameOrderAsTheExchangeSortOnStructuredTables) {
    std::vector<std::string> ascending;
    std::vector<std::string> descending;
    std::vector<std::string> alternating;
    std::vector<std::string> all_equal;
    std::vector<std::string> no_capitals;
    for (int i = 0; i < 200; ++i) {
        std::string key(1, static_cast<char>('A' + i % 26));
        ascending.push_back("x" + key);
        descending.push_back("y" + std::string(1, static_cast<char>('Z' - i % 26)));
        alternating.push_back(i % 2 == 0 ? "pA" : "qB");
        all_equal.push_back(std::string(static_cast<std::size_t>(i % 3), ' ') + "Same");
        no_capitals.push_back(std::to_string(i));
    }
    check_alpha(ascending);
    check_alpha(descending);
    check_alpha(alternating);
    check_alpha(all_equal);
    check_alpha(no_capitals);
}

TEST(SumLine, EveryRowOfTheSumTable) {
    EXPECT_EQ(sum_of("12 -5 +3"), 10);
    EXPECT_EQ(sum_of("12-5"), 7);
    EXPECT_EQ(sum_of("3 - 4"), -1);
    EXPECT_EQ(sum_of("- 5"), -5);
    EXPECT_EQ(sum_of("x -5"), 5);
    EXPECT_EQ(sum_of("b -2 -3"), -1);
    EXPECT_EQ(sum_of("three -1"), 1);
    EXPECT_EQ(sum_of("a1b2c3"), 6);
    EXPECT_EQ(sum_of("--3"), -3);
    EXPECT_EQ(sum_of("+-3"), 3);
    EXPECT_EQ(sum_of("5 -"), 5);
    EXPECT_EQ(sum_of("abc"), 0);
    EXPECT_EQ(sum_of(""), 0);
    EXPECT_EQ(sum_of("    "), 0);
}

TEST(SumLine, OnlySpacesAreSkippedBeforeASign) {
    EXPECT_EQ(sum_of("\t-5"), 5); // the tab starts a positive token
    EXPECT_EQ(sum_of("  -5 -5"), -10);
    EXPECT_EQ(sum_of("007"), 7);
    EXPECT_EQ(sum_of("-0"), 0);
}

TEST(SumLine, WrapsModulo2To32) {
    EXPECT_EQ(sum_of("2147483647 1"), INT32_MIN);
    EXPECT_EQ(sum_of("2147483648"), INT32_MIN);
    EXPECT_EQ(sum_of("-2147483648 -1"), INT32_MAX);
    EXPECT_EQ(sum_of("4294967296"), 0);
    EXPECT_EQ(sum_of("4294967297"), 1);
    EXPECT_EQ(sum_of("99999999999"), 1215752191); // 11 digits
    EXPECT_EQ(sum_of("-99999999999"), -1215752191);
}

TEST(SumLine, AddsToWhatTheCellHolds) {
    std::string line = "4";
    std::int32_t cell = 3;
    std::int32_t* sums[] = {&cell};
    char* lines[] = {line.data()};
    sum_line(lines, sums, 0);
    EXPECT_EQ(cell, 7);
}

TEST(SortBySums, ExamplesOfTheOrder) {
    EXPECT_EQ(sorted_by_sums({"p 5", "q 5", "r 1"}), (std::vector<std::string>{"r 1", "q 5", "p 5"}));
    EXPECT_EQ(sorted_by_sums({"Abc 5", "x Bcd -3"}), (std::vector<std::string>{"x Bcd -3", "Abc 5"}));
    EXPECT_EQ(sorted_by_sums({"2147483648", "-2147483647", "1"}),
              (std::vector<std::string>{"2147483648", "-2147483647", "1"}));
    EXPECT_TRUE(sorted_by_sums({}).empty());
}

// Sorts the sums by both sorts, each line a distinct byte and each sum its
// own cell, and compares the two outcomes by pointer: every line must end in
// the same entry, and with its own cell beside it.
void check_sums(const std::vector<std::int32_t>& values) {
    const std::size_t n = values.size();
    std::vector<char> text(n + 1);
    std::vector<std::int32_t> cells(values);
    std::vector<char*> fast_lines(n);
    std::vector<std::int32_t*> fast_sums(n);
    for (std::size_t i = 0; i < n; ++i) {
        fast_lines[i] = &text[i];
        fast_sums[i] = &cells[i];
    }
    std::vector<char*> slow_lines(fast_lines);
    std::vector<std::int32_t*> slow_sums(fast_sums);
    sort_by_sums(fast_lines.data(), fast_sums.data(), static_cast<int>(n));
    reference_sort_by_sums(slow_lines.data(), slow_sums.data(), static_cast<int>(n));
    ASSERT_EQ(fast_lines, slow_lines) << ::testing::PrintToString(values);
    ASSERT_EQ(fast_sums, slow_sums) << ::testing::PrintToString(values);
}

// The next way of splitting lines into classes, as a restricted growth
// string (each line's class at most one above every class before it): the
// last entry that may still grow grows, the entries after it restart at 0.
bool next_split(std::vector<int>& cls) {
    for (std::size_t k = cls.size(); k-- > 1;) {
        const auto first_k = cls.begin() + static_cast<std::ptrdiff_t>(k);
        if (cls[k] <= *std::max_element(cls.begin(), first_k)) {
            ++cls[k];
            std::fill(first_k + 1, cls.end(), 0);
            return true;
        }
    }
    return false;
}

// Only the order of the sums matters to either sort, so every table up to
// seven lines is covered by each way of splitting the lines into classes of
// equal sums, with the classes' sums in every order.
TEST(SortBySums, SameOrderAsTheExchangeSortForEveryPatternOfTies) {
    int patterns = 0;
    for (std::size_t n = 0; n <= 7; ++n) {
        std::vector<int> cls(n, 0);
        do {
            const int classes = n == 0 ? 0 : *std::max_element(cls.begin(), cls.end()) + 1;
            std::vector<std::int32_t> rank(static_cast<std::size_t>(classes));
            std::iota(rank.begin(), rank.end(), 1);
            do {
                std::vector<std::int32_t> values(n);
                for (std::size_t i = 0; i < n; ++i) values[i] = rank[static_cast<std::size_t>(cls[i])];
                check_sums(values);
                ++patterns;
            } while (std::next_permutation(rank.begin(), rank.end()));
        } while (next_split(cls));
    }
    EXPECT_EQ(patterns, 1 + 1 + 3 + 13 + 75 + 541 + 4683 + 47293); // ordered set partitions
}

// Longer tables of only three sums, where classes are large: every one of
// them of eight and of nine lines.
TEST(SortBySums, SameOrderAsTheExchangeSortForEveryTableOfThreeSums) {
    for (std::size_t n = 8; n <= 9; ++n) {
        std::vector<std::int32_t> values(n, 0);
        for (;;) {
            check_sums(values);
            std::size_t k = 0;
            for (; k < n && values[k] == 2; ++k) values[k] = 0;
            if (k == n) break;
            ++values[k];
        }
    }
}

// Tables of random sums of many shapes, all rich in ties.
std::vector<std::int32_t> random_sums(std::mt19937& rng, int shape, std::size_t n) {
    auto below = [&rng](std::size_t bound) { return static_cast<std::size_t>(rng() % bound); };
    std::uniform_int_distribution<std::int32_t> any(INT32_MIN, INT32_MAX);
    std::vector<std::int32_t> pool; // the sums a table draws from
    std::size_t distinct = 0;
    switch (shape % 4) {
    case 0: // 1 to 4 sums
        distinct = 1 + below(4);
        break;
    case 1: // about sqrt(n) sums
        distinct = 1 + static_cast<std::size_t>(std::sqrt(static_cast<double>(n)));
        break;
    case 2: // anything up to n sums
        distinct = 1 + below(n + 1);
        break;
    default: // sums of a few dice
        break;
    }
    for (std::size_t k = 0; k < distinct; ++k) {
        const std::size_t roll = below(8);
        pool.push_back(roll == 0   ? INT32_MIN
                       : roll == 1 ? INT32_MAX
                       : roll < 5  ? any(rng)
                                   : static_cast<std::int32_t>(below(9)) - 4);
    }
    const std::size_t dice = 2 + below(3);
    std::vector<std::int32_t> values(n);
    for (std::size_t i = 0; i < n;) {
        // Runs of one sum, mostly short, now and then long.
        std::size_t run = below(10) == 0 ? 1 + below(n / 4 + 1) : 1;
        std::int32_t v = 0;
        if (pool.empty())
            for (std::size_t d = 0; d < dice; ++d) v += static_cast<std::int32_t>(1 + below(6));
        else
            v = pool[below(pool.size())];
        for (; run > 0 && i < n; --run) values[i++] = v;
    }
    // Now and then the whole table ascending or descending.
    const std::size_t order = below(6);
    if (order == 0) std::sort(values.begin(), values.end());
    if (order == 1) std::sort(values.begin(), values.end(), std::greater<>());
    return values;
}

TEST(SortBySums, SameOrderAsTheExchangeSortOnRandomTables) {
    std::mt19937 rng(5);
    for (int round = 0; round < 4000; ++round) check_sums(random_sums(rng, round, rng() % 65));
    for (int round = 0; round < 40; ++round) check_sums(random_sums(rng, round, 100 + rng() % 400));
    for (int round = 0; round < 8; ++round) check_sums(random_sums(rng, round, 2000 + rng() % 2000));
}

TEST(SortBySums, SameOrderAsTheExchangeSortOnStructuredTables) {
    const std::size_t n = 3000;
    std::vector<std::int32_t> rising(n); // a rising run, then equal sums
    std::vector<std::int32_t> halves(n); // one sum, then a smaller one
    std::vector<std::int32_t> saw(n);    // short rising runs over and over
    for (std::size_t i = 0; i < n; ++i) {
        rising[i] = i < n / 2 ? static_cast<std::int32_t>(i % 97) : 0;
        halves[i] = i < n / 2 ? INT32_MAX : INT32_MIN;
        saw[i] = static_cast<std::int32_t>(i % 7);
    }
    check_sums(rising);
    check_sums(halves);
    check_sums(saw);
    std::reverse(saw.begin(), saw.end());
    check_sums(saw);
}

} // namespace
