#include "countout.h"
#include "ring_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using countout::soldier;
using countout_test::invalid;
using countout_test::make_ring;
using countout_test::number_of;
using countout_test::session;

constexpr std::string_view bad_direction = "Napravlenie vvedeno neverno!\npovtorite vvod! l/r?\n";
constexpr std::string_view start_question = "\nVvedite nomer soldats s kotorogo nachinat' schet: ";
constexpr std::string_view direction_question = "\nVvedite napravlenie r/l: ";

std::string dialogue(std::string_view input) {
    session s(input);
    EXPECT_EQ(countout::run(s.c), 0);
    return s.output();
}

TEST(ChooseStart, RefusesNumbersOutsideTheRingWithoutAskingAgain) {
    soldier* head = make_ring(3);
    session s("0\n4\nx\n3\n");
    soldier* start = countout::choose_start(s.c, head, 3);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start, head->prev);
    EXPECT_EQ(s.output(), std::string(start_question) + std::string(invalid) + std::string(invalid) +
                              std::string(invalid));
    countout::free_ring(head);
}

TEST(ChooseStart, TakesANumberPendingFromTheLastLine) {
    soldier* head = make_ring(4);
    session s("Abcdefghi2\n");
    soldier one{};
    ASSERT_TRUE(countout::read_name(s.c, one));
    soldier* start = countout::choose_start(s.c, head, 4);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(number_of(start), 2);
    EXPECT_EQ(s.output(), start_question);
    countout::free_ring(head);
}

TEST(ChooseStart, EndOfInputLeavesTheRingToTheCaller) {
    soldier* head = make_ring(2);
    session s("9\n");
    EXPECT_EQ(countout::choose_start(s.c, head, 2), nullptr);
    EXPECT_EQ(head->next->next, head);
    countout::free_ring(head);
}

TEST(CountOut, TakesOnlyTheFirstCharacterOfASmallLOrR) {
    soldier* head = make_ring(5);
    session s("L\nR\n\n r\nleft\n");
    soldier* last = countout::count_out(s.c, head, 2);
    ASSERT_TRUE(last != nullptr);
    EXPECT_EQ(number_of(last), 1);
    EXPECT_EQ(last->next, last);
    std::string expected(direction_question);
    for (int i = 0; i < 4; ++i) expected += bad_direction;
    EXPECT_EQ(s.output(), expected);
    countout::free_soldier(last);
}

TEST(CountOut, EndOfInputFreesTheWholeRing) {
    // Nothing may be left for the leak check of the sanitizer build.
    session s("x\n");
    EXPECT_EQ(countout::count_out(s.c, make_ring(6), 3), nullptr);
    EXPECT_EQ(s.output(), std::string(direction_question) + std::string(bad_direction));
}

TEST(Dialogue, LaterPassKeepsTheNumbersWhenTheAnswerIsNoNumber) {
    // "yes" starts a pass whose count read meets "es": the previous count of
    // 2 is taken again, and the step of 3 likewise after "z".
    std::string out = dialogue("2\nA\nB\n1\n3\nr\nyes\nCarl\nDora\n2\nz\nr\nn\n");
    std::string second = "\nKolichestvo soldat: \nImena soldat:\n1\t2\t"
                         "\nVveden informacia:\n1\tCarl\n2\tDora"
                         "\nVvedite nomer soldats s kotorogo nachinat' schet: Schet nachinaetsja s Dora"
                         "\nVvedite shag: \nVvedite napravlenie r/l: \nZa podmogoy idet: Carl\n"
                         "\nPovtorit'? y/n\n";
    ASSERT_GE(out.size(), second.size());
    EXPECT_EQ(out.substr(out.size() - second.size()), second);
    EXPECT_NE(out.find("Za podmogoy idet: B\n"), std::string::npos);
}

TEST(Dialogue, OneSoldierGoesWithoutAnyQuestion) {
    EXPECT_EQ(dialogue("1\nSolo\nY\n"),
              "\nKolichestvo soldat: \nImena soldat:\n1\t\nVveden informacia:\n1\tSolo"
              "\nZa podmogoy idet: Solo\n\nPovtorit'? y/n\n");
}

} // namespace
