#include "inttree.h"
#include "support.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const std::string root_question = "Vvedite inf v koren' dereva: ";
const std::string menu =
    "\n0 - prosmotr dereva\n1 - prosmotr dereva v porjadke vozrastanija\n2 -prosmotr dereva v "
    "porjadke ybvanija\n3 - dobavit' element\n4 - udalit' element\n5 - prosmotr dereva na "
    "boky\n6 - exit\n";
const std::string ask_value = "Vvedite chislo: ";
const std::string ask_done = "Vvod zakonchen? y - exit: ";
const std::string bad_value = "Vvedeno nevernoe znachenie!\nPovtorite vvod: ";

std::string run_dialogue(const std::string& input) { return test_support::dialogue(inttree::run, input); }

TEST(Dialogue, ChoiceSixEndsAtOnce) { EXPECT_EQ(run_dialogue("5\n6\n1\n"), root_question + menu); }

TEST(Dialogue, AnswerLineIsDroppedBeforeTheNextValue) {
    // Only the first character of an answer counts: "Yes" asks for another
    // value, and the rest of its line must not be read as that value. After
    // the final "yes" nothing is discarded, so the menu read meets "es".
    std::string out = run_dialogue("5\n3\n7 8\nYes\n9\nyes\n1\n6\n");
    EXPECT_EQ(out, root_question + menu + ask_value + ask_done + ask_value + ask_done + menu + bad_value +
                       "   5    7    9 " + menu);
}

TEST(Dialogue, DegenerateTreeThroughTheMenu) {
    // 100,000 values typed in ascending order make one long chain; adding,
    // every view on one line and the final release must all cope with it.
    constexpr int n = 100000;
    std::string input = "0\n3\n";
    std::string expected_tree = "   0";
    std::string expected_ascending = "   0 ";
    for (int k = 1; k < n; ++k) {
        input += std::to_string(k) + (k + 1 < n ? "\nn\n" : "\ny\n");
        char field[16];
        std::snprintf(field, sizeof field, "%4d", k);
        expected_tree += field;
        expected_ascending += std::string(field) + " ";
    }
    input += "0\n1\n6\n";
    std::string out = run_dialogue(input);
    std::string adding;
    for (int k = 1; k < n; ++k) adding += ask_value + ask_done;
    EXPECT_EQ(out, root_question + menu + adding + menu + expected_tree + menu + expected_ascending + menu);
}

} // namespace
