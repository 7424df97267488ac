// The searched file's name on Windows.
#include "search.h"

#include "support.h"

#include <gtest/gtest.h>

#include <string>

namespace linefind {
namespace {

class FileName : public test_support::scratch_dir {};

// A path pasted with its quotes, as Explorer copies it, opens the file;
// quotes that do not wrap the whole name are part of it.
TEST_F(FileName, OnePairOfWrappingQuotesIsDropped) {
    test_support::write_file(dir_ / "a b.txt", "One. Two.");
    std::string path = (dir_ / "a b.txt").string();
    text_file file;
    EXPECT_TRUE(file.open("\"" + path + "\""));
    // Blanks typed after the pasted path, or before it, are no part of it.
    EXPECT_TRUE(file.open("\"" + path + "\"  "));
    EXPECT_TRUE(file.open(" \"" + path + "\"\t"));
    EXPECT_FALSE(file.open("\"" + path));
    EXPECT_FALSE(file.open("\"\"" + path + "\"\""));
    EXPECT_FALSE(file.open("\""));
}

} // namespace
} // namespace linefind
