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

// Feeds sentences in the calling order of the search: count first, append
// only when the sentence is new.
struct List {
    sentence_index index;
    sentence_node* head = nullptr;
    void add(std::string_view text) {
        std::size_t hash = hash_text(text);
        if (count_sentence(index, text, hash) == 1) head = append_sentence(index, head, text, hash);
    }
    ~List() {
        if (head != nullptr) free_sentences(head);
        free_index(index);
    }
};

TEST(SentenceList, EmptyListFindsNothing) {
    sentence_index index;
    EXPECT_EQ(count_sentence(index, "a.", hash_text("a.")), 1);
    free_index(index);
}

TEST(SentenceList, FirstNodePointsToItself) {
    List list;
    list.add("Abc.");
    ASSERT_NE(list.head, nullptr);
    EXPECT_EQ(list.head->next, list.head);
    EXPECT_EQ(list.head->count, 1);
    EXPECT_EQ(list.index.last, list.head);
}

TEST(SentenceList, KeepsOrderOfFirstAppearanceAndCounts) {
    List list;
    for (const char* s : {"P.", "Q.", "P.", "R.", "P."}) list.add(s);
    EXPECT_EQ(walk(list.head), (Rows{{"P.", 3}, {"Q.", 1}, {"R.", 1}}));
    EXPECT_EQ(list.index.last->next, list.head);
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
    EXPECT_EQ(walk(list.head), (Rows{{"Word.", 1},
                                     {"word.", 2},
                                     {"\nWord.", 1},
                                     {std::string("a\0b.", 4), 1},
                                     {std::string("a\0c.", 4), 1},
                                     {"a.", 1}}));
}

TEST(SentenceHash, PiecesGiveTheHashOfTheWhole) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += static_cast<char>(i * 37 % 256);
    for (std::size_t piece : {8u, 64u, 992u}) {
        text_hash hash;
        for (std::size_t at = 0; at < text.size(); at += piece)
            hash_piece(hash, text.data() + at, std::min(piece, text.size() - at));
        EXPECT_EQ(hash_end(hash), hash_text(text)) << piece;
    }
    // Zero bytes at the end still tell texts apart.
    EXPECT_NE(hash_text(std::string_view("ab\0", 3)), hash_text("ab"));
}

// A stream of sentence texts that repeat, with enough distinct ones to grow
// the index several times.
std::vector<std::string> repeating_texts() {
    std::vector<std::string> texts;
    unsigned seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        // Appended piece by piece: "s" + std::string trips a false -Wrestrict of GCC 12 at -O3.
        std::string text(1, 's');
        text += std::to_string((seed >> 8) % 7000);
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
    List list;
    std::vector<std::string> texts = repeating_texts();
    for (const std::string& text : texts) list.add(text);
    EXPECT_EQ(walk(list.head), expected_rows(texts));
}

TEST(SentenceQueue, GivesTheSameListAsCountingOneByOne) {
    std::vector<std::string> texts = repeating_texts();
    sentence_index index;
    sentence_queue queue;
    sentence_node* head = nullptr;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        head = queue_sentence(queue, index, head, texts[i]);
        // Drained now and then, as at the end of each block of the file.
        if (i % 1000 == 999) head = drain_queue(queue, index, head);
    }
    head = drain_queue(queue, index, head);
    EXPECT_EQ(queue.size, 0u);
    EXPECT_EQ(walk(head), expected_rows(texts));
    free_sentences(head);
    free_index(index);
}

TEST(SentenceQueue, FewSentencesWaitUntilDrained) {
    sentence_index index;
    sentence_queue queue;
    sentence_node* head = nullptr;
    for (const char* s : {"P.", "Q.", "P."}) head = queue_sentence(queue, index, head, s);
    EXPECT_EQ(head, nullptr);
    head = drain_queue(queue, index, head);
    EXPECT_EQ(walk(head), (Rows{{"P.", 2}, {"Q.", 1}}));
    free_sentences(head);
    free_index(index);
}

std::string printed(const sentence_node* head) {
    std::string out;
    con::console c;
    con::open_memory(c, "", out);
    print_sentences(c, head);
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
    EXPECT_EQ(printed(list.head), expected);
}

TEST(SentenceReport, CountWiderThanOneDigitStaysInColumn75) {
    List list;
    for (int i = 0; i < 1234; ++i) list.add("x.");
    std::string row = printed(list.head);
    EXPECT_EQ(row, std::string(23, ' ') + "x." + std::string(46, ' ') + "1234\n");
    EXPECT_EQ(row.size(), 76u);
}

TEST(SentenceReport, CountBeyond32BitsDoesNotWrap) {
    List list;
    list.add("x.");
    list.head->count = 4'294'967'296;
    EXPECT_EQ(printed(list.head), std::string(23, ' ') + "x." + std::string(40, ' ') + "4294967296\n");
}

} // namespace
} // namespace linefind
