// What the dialogue leaves on disk where no file was before, and at every
// cut of the input: the dialogue cases compare the files they hold, but
// cannot say that none may appear.
#include "cp1251.h"
#include "scratch.h"
#include "studentdb.h"

namespace studentdb_test {
namespace {

class dialogue_test : public scratch_dir {
protected:
    static void dialogue(std::string_view input) {
        std::string out;
        con::console c;
        con::open_memory(c, input, out);
        EXPECT_EQ(studentdb::run(c), 0);
        con::flush(c);
    }
};

TEST_F(dialogue_test, NoFileIsMadeWithoutASave) {
    // Input ending at the menu, and choice 0, after an addition.
    for (const char* input : {"4\nAnn\nElm\n1\n2\n", "4\nA\nB\n1\n1\nn\n0\n"}) {
        dialogue(input);
        EXPECT_TRUE(entries().empty()) << input;
    }
}

TEST_F(dialogue_test, EndOfInputAnywhereLeavesFileAsItWas) {
    std::string old = record_bytes("Old", "St", 1, 1);
    std::string script =
        "6\n4\n\xC8\xE2\xE0\xED\xEE\xE2\nSt\nx\n5\n7\n\xE4\nB\nC\n-1\n-2\nn\n1\n2\n3\nOld\n3\n\n6\n";
    for (std::size_t len = 0; len <= script.size(); ++len) {
        write_bytes(old);
        dialogue(script.substr(0, len));
        ASSERT_EQ(read_bytes(), old) << "input cut after " << len << " bytes";
        ASSERT_EQ(entries(), std::vector<std::string>{"students.dat"});
    }
}

} // namespace
} // namespace studentdb_test
