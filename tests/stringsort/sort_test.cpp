#include "lines.h"
#include "sort.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace stringsort;

// The two exchange sorts written out step by step as the dialogue describes
// them; the program's sorts must give exactly their orders.
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

void check_sums(const std::vector<std::int32_t>& values) {
    std::vector<std::string> typed(values.size(), "");
    table fast(typed);
    table slow(typed);
    for (table* t : {&fast, &slow})
        for (std::size_t i = 0; i < values.size(); ++i) t->sum_cells[i] = values[i];
    sort_by_sums(fast.lines.data(), fast.sums.data(), fast.n());
    reference_sort_by_sums(slow.lines.data(), slow.sums.data(), slow.n());
    ASSERT_EQ(typed_indices(fast), typed_indices(slow));
    for (std::size_t i = 0; i < values.size(); ++i) {
        // Each line moves together with its own cell.
        const auto cell = static_cast<std::size_t>(fast.sums[i] - fast.sum_cells.data());
        ASSERT_EQ(fast.lines[i], fast.text[cell].data());
    }
}

TEST(SortBySums, SameOrderAsTheExchangeSortOnRandomTables) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> count(0, 50);
    std::uniform_int_distribution<int> small(-3, 3);
    std::uniform_int_distribution<std::int32_t> any(INT32_MIN, INT32_MAX);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::int32_t> values(static_cast<std::size_t>(count(rng)));
        for (auto& v : values) {
            int kind = static_cast<int>(rng() % 8);
            v = kind == 0 ? INT32_MIN : kind == 1 ? INT32_MAX : kind == 2 ? any(rng) : small(rng);
        }
        check_sums(values);
    }
    std::vector<std::int32_t> large(1500);
    for (auto& v : large) v = small(rng);
    check_sums(large);
}

TEST(SortBySums, SameOrderAsTheExchangeSortOnLargeTables) {
    std::mt19937 rng(9);
    std::uniform_int_distribution<std::int32_t> wide(-100000, 100000);
    std::vector<std::int32_t> spread(3000);
    for (auto& v : spread) v = wide(rng);
    check_sums(spread);
    // A rising run followed by equal sums: long chains of exchanges in every pass.
    std::vector<std::int32_t> rising(1000, 0);
    for (std::size_t i = 0; i < 500; ++i) rising[i] = static_cast<std::int32_t>(i % 97);
    check_sums(rising);
}

} // namespace
