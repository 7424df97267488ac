#include "sentences.h"

#include "rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace linefind {
namespace {

using linefind_test::Rows;
using linefind_test::walk;

// A list fed one sentence at a time, each counted before the next comes.
struct List {
    sentence_list list;
    void add(std::string_view text) { sentence_list::batch(list).add(text); }
};

TEST(SentenceList, FirstNodePointsToItself) {
    List list;
    list.add("Abc.");
    ASSERT_NE(list.list.head(), nullptr);
    EXPECT_EQ(list.list.head()->next, list.list.head());
    EXPECT_EQ(list.list.head()->count, 1);
}

TEST(SentenceList, KeepsOrderOfFirstAppearanceAndCounts) {
    List list;
    for (const char* s : {"P.", "Q.", "P.", "R.", "P."}) list.add(s);
    EXPECT_EQ(walk(list.list), (Rows{{"P.", 3}, {"Q.", 1}, {"R.", 1}}));
}

TEST(SentenceList, CaseLeadingBreakAndZeroBytesMakeDistinctTexts) {
    List list;
    list.add("Word.");
    list.add("word.");
    list.add("\nWord.");
    list.add(std::string_view("a\0b.", 4));
    list.add(std::string_view("a\0c.", 4));
    list.add("a.");
    list.add("word.");
    EXPECT_EQ(walk(list.list), (Rows{{"Word.", 1},
                                     {"word.", 2},
                                     {"\nWord.", 1},
                                     {std::string("a\0b.", 4), 1},
                                     {std::string("a\0c.", 4), 1},
                                     {"a.", 1}}));
}

// A stream of sentence texts that repeat, with enough distinct ones to grow
// the index several times, past the sizes kept on huge pages (where the
// index and the node blocks take two megabytes and more).
std::vector<std::string> repeating_texts() {
    std::vector<std::string> texts;
    unsigned seed = 12345;
    for (int i = 0; i < 150000; ++i) {
        seed = seed * 1103515245u + 12345u;
        // Appended piece by piece: "s" + std::string trips a false -Wrestrict of GCC 12 at -O3.
        std::string text(1, 's');
        text += std::to_string((seed >> 8) % 100000);
        text += '.';
        texts.push_back(text);
    }
    return texts;
}

Rows expected_rows(const std::vector<std::string>& texts) {
    std::map<std::string, std::int64_t> counts;
    std::vector<std::string> order;
    for (const std::string& text : texts)
        if (counts[text]++ == 0) order.push_back(text);
    Rows rows;
    for (const std::string& text : order) rows.emplace_back(text, counts[text]);
    return rows;
}

TEST(SentenceList, ManySentencesAgreeWithAMap) {
    std::vector<std::string> texts = repeating_texts();
    sentence_list list;
    // A batch now and then, as for each block of the file.
    for (std::size_t i = 0; i < texts.size(); i += 1000) {
        sentence_list::batch batch(list);
        for (std::size_t k = i; k < std::min(texts.size(), i + 1000); ++k) batch.add(texts[k]);
    }
    EXPECT_EQ(walk(list), expected_rows(texts));
}

std::string printed(const sentence_list& list) {
    std::string out;
    con::console c;
    con::open_memory(c, "", out);
    print_sentences(c, list);
    con::flush(c);
    return out;
}

TEST(SentenceReport, RowsAreRightAlignedIn25And50Columns) {
    List list;
    list.add("Short.");
    list.add("Short.");
    list.add("A sentence longer than 25 bytes.");
    list.add("\nBroken.");
    std::string expected = std::string(19, ' ') + "Short." + std::string(49, ' ') + "2\n" +
                           "A sentence longer than 25 bytes." + std::string(49, ' ') + "1\n" +
                           std::string(17, ' ') + "\nBroken." + std::string(49, ' ') + "1\n";
    EXPECT_EQ(printed(list.list), expected);
}

TEST(SentenceReport, CountWiderThanOneDigitStaysInColumn75) {
    List list;
    for (int i = 0; i < 1234; ++i) list.add("x.");
    std::string row = printed(list.list);
    EXPECT_EQ(row, std::string(23, ' ') + "x." + std::string(46, ' ') + "1234\n");
    EXPECT_EQ(row.size(), 76u);
}

TEST(SentenceReport, CountBeyond32BitsDoesNotWrap) {
    List list;
    list.add("x.");
    list.list.head()->count = 4'294'967'296;
    EXPECT_EQ(printed(list.list), std::string(23, ' ') + "x." + std::string(40, ' ') + "4294967296\n");
}

} // namespace
} // namespace linefind
