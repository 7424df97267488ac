#include "stringsort.h"

#include "support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string dialogue(std::string_view input) { return test_support::dialogue(stringsort::run, input); }

const std::string ask_n = "Vvedite kolovo strok n = ";
const std::string ask_m = "Vvedite razmer strok m = ";
const std::string error = "Eror, vvedeno nevernoe znachenie\n";
const std::string ask_order =
    "\nVvedite algoritm sortirovki. a - v alfavitnom porjadke, b - po vozrastaniju sum.\n";

TEST(Dialogue, SizesAreAskedForAgainUntilTheyAreNumbers) {
    EXPECT_EQ(dialogue("no\n-\n1x\n+\n3\n\n\n"),
              ask_n + error + ask_n + error + ask_n + ask_m + error + ask_m + error + ask_m +
                  "Vvedite 1 stroky:\n\n stroka: " + ask_order + "\n stroka: ");
}

TEST(Dialogue, NoRoomForTheZeroEndsSilentlyAfterTheSize) {
    EXPECT_EQ(dialogue("2\n0\nabc\n"), ask_n + ask_m);
    EXPECT_EQ(dialogue("1\n-5\nabc\n"), ask_n + ask_m);
}

TEST(Dialogue, NegativeCountEndsSilentlyAfterTheSize) { EXPECT_EQ(dialogue("-1\n10\nabc\n"), ask_n + ask_m); }

TEST(Dialogue, NoLinesStillAsksForTheOrder) {
    EXPECT_EQ(dialogue("0\n-4\nb\n"), ask_n + ask_m + ask_order);
    EXPECT_EQ(dialogue("0\n5\n"), ask_n + ask_m + ask_order); // the question meets the end of input
}

// However early input ends, the dialogue ends with status 0, having written
// a beginning of its full output and nothing else (the sanitizer build also
// sees that everything taken was given back).
TEST(Dialogue, EndOfInputAtAnyPointEndsCleanly) {
    const std::string inputs[] = {
        "3\n6\nZeta 1\nyAlpha -2\nmid 10 Mike\na\n",
        "3\n4\nab\nabcdefgh\nxyzw\n",
        "x\n2\ny\n3\nA\nB\nb\n",
    };
    for (const std::string& input : inputs) {
        const std::string full = dialogue(input);
        for (std::size_t len = 0; len < input.size(); ++len) {
            const std::string out = dialogue(input.substr(0, len));
            EXPECT_EQ(full.compare(0, out.size(), out), 0) << "input cut at " << len;
        }
    }
}

TEST(Dialogue, LeftOverOfACutLastLineAnswersTheQuestion) {
    const std::string listed = "\n stroka: Bcd\n stroka: Abc";
    const std::string prompts = ask_n + ask_m + "Vvedite 1 stroky:\nVvedite 2 stroky:\n";
    EXPECT_EQ(dialogue("2\n4\nBcd\nAbcda\n"), prompts + listed + ask_order + "\n stroka: Abc\n stroka: Bcd");
    // The line break left by a line of exactly m characters selects the sums;
    // both sums are 0, so the order stays.
    EXPECT_EQ(dialogue("2\n4\nBcd\nAbcd\na\n"), prompts + listed + ask_order + listed);
}

} // namespace
