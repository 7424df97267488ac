// The searched file on Windows is read as text: a CR LF is one line break,
// inside a sentence as between sentences, so the sentences and their counts
// are those of the same text with LF line breaks.
#include "search.h"

#include "rows.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace linefind {
namespace {

using linefind_test::Rows;
using linefind_test::walk;

Rows search_text(const std::string& bytes, const std::string& str) {
    std::filesystem::path dir = test_support::make_temp_dir("linefind_text");
    EXPECT_FALSE(dir.empty());
    std::string name = (dir / "text.txt").string();
    std::ofstream(name, std::ios::binary) << bytes;
    text_file file;
    EXPECT_TRUE(open_text_file(file, name, 7));
    sentence_index index;
    sentence_node* head = search_file(file, str, index, nullptr);
    Rows rows = walk(head);
    if (head != nullptr) free_sentences(head);
    free_index(index);
    close_text_file(file);
    std::filesystem::remove_all(dir);
    return rows;
}

TEST(TextFile, CrLfIsReadAsOneLineBreak) {
    EXPECT_EQ(search_text("Mama\r\nmyla ramu. Papa. Mama\nmyla ramu.\r\n", "myla"),
              (Rows{{"Mama\nmyla ramu.", 2}}));
    EXPECT_EQ(search_text("a\rb. a\r\r\nb.", "\r"), (Rows{{"a\rb.", 1}, {"a\r\nb.", 1}}));
}

} // namespace
} // namespace linefind
