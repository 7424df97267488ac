#include "ring.h"
#include "ring_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using countout::soldier;
using countout_test::invalid;
using countout_test::session;

constexpr std::string_view empty_name = "Vvedite inf v stroky!!!\n\t";

std::string repeat(std::string_view text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

TEST(ReadPositive, TakesANumberAndLeavesTheRestOfTheLine) {
    session s("3x\n");
    EXPECT_EQ(countout::read_positive(s.c, 0), 3);
    EXPECT_EQ(s.rest(), "x\n");
    EXPECT_EQ(s.output(), "");
}

TEST(ReadPositive, RefusesZeroAndNegativeNumbers) {
    session s("0\n-2 9\n4\n");
    EXPECT_EQ(countout::read_positive(s.c, 0), 4);
    EXPECT_EQ(s.output(), repeat(invalid, 2));
}

TEST(ReadPositive, AnswerThatIsNoNumberKeepsTheCallersValue) {
    session first("abc\n+7\n");
    EXPECT_EQ(countout::read_positive(first.c, 0), 7);
    EXPECT_EQ(first.output(), invalid);

    session later("abc\n");
    EXPECT_EQ(countout::read_positive(later.c, 5), 5);
    EXPECT_EQ(later.output(), "");
    EXPECT_EQ(later.rest(), "abc\n");

    session sign("-\n2\n");
    EXPECT_EQ(countout::read_positive(sign.c, 0), 2);
    EXPECT_EQ(sign.output(), invalid);
}

TEST(ReadPositive, EndOfInputGivesZero) {
    session empty("");
    EXPECT_EQ(countout::read_positive(empty.c, 0), 0);
    session refused("0\n\n  \n");
    EXPECT_EQ(countout::read_positive(refused.c, 4), 0);
    EXPECT_EQ(refused.output(), invalid);
    EXPECT_TRUE(con::ended(refused.c));
}

// Reads one name with read_name; the record is on the stack.
std::string name_of(session& s) {
    soldier one{};
    std::memset(one.name, '#', sizeof one.name);
    if (!countout::read_name(s.c, one)) return "<end>";
    EXPECT_NE(std::memchr(one.name, '\0', 9), nullptr);
    return one.name;
}

TEST(ReadName, KeepsAtMostEightCharacters) {
    session s("Alpha\nAbcdefgh\nAbcdefghi\nAbcdefghijkl\n");
    EXPECT_EQ(name_of(s), "Alpha");
    EXPECT_EQ(name_of(s), "Abcdefgh");
    EXPECT_EQ(name_of(s), "Abcdefgh");
    EXPECT_EQ(s.rest(), "\nAbcdefghijkl\n"); // the line break was left
    EXPECT_EQ(name_of(s), "Abcdefgh");
    EXPECT_EQ(s.rest(), "jkl\n");
    EXPECT_EQ(s.output(), "");
}

TEST(ReadName, DropsWhatIsPendingBeforeReading) {
    session s("4 rest of the line\nBob\n");
    std::int32_t n = 0;
    ASSERT_EQ(con::read_int(s.c, n), con::got::value);
    EXPECT_EQ(name_of(s), "Bob");
}

TEST(ReadName, AsksAgainForEmptyLines) {
    session s("\n\n   \n");
    EXPECT_EQ(name_of(s), "   ");
    EXPECT_EQ(s.output(), repeat(empty_name, 2));
}

TEST(ReadName, StopsAtEndOfInput) {
    session partial("Al");
    EXPECT_EQ(name_of(partial), "<end>");
    session after_empty("\n");
    EXPECT_EQ(name_of(after_empty), "<end>");
    EXPECT_EQ(after_empty.output(), empty_name);
}

TEST(BuildRing, LinksTheSoldiersInTypedOrderBothWays) {
    session s("Alpha\nBravo\nDelta\n");
    soldier* head = countout::build_ring(s.c, 3);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(s.output(), "\nImena soldat:\n1\t2\t3\t");
    soldier* bravo = head->next;
    soldier* delta = bravo->next;
    EXPECT_STREQ(head->name, "Alpha");
    EXPECT_STREQ(bravo->name, "Bravo");
    EXPECT_STREQ(delta->name, "Delta");
    EXPECT_EQ(bravo->prev, head);
    EXPECT_EQ(delta->prev, bravo);
    EXPECT_EQ(delta->next, head);
    EXPECT_EQ(head->prev, delta);
    countout::free_ring(head);
}

TEST(BuildRing, OneSoldierPointsAtItself) {
    session s("Solo\n");
    soldier* head = countout::build_ring(s.c, 1);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->next, head);
    EXPECT_EQ(head->prev, head);
    countout::free_ring(head);
}

TEST(BuildRing, EndOfInputReleasesTheSoldiersAlreadyMade) {
    // The leak check of the sanitizer build watches the records made so far.
    session s("A\nB\nC\n");
    EXPECT_EQ(countout::build_ring(s.c, 5), nullptr);
    EXPECT_EQ(s.output(), "\nImena soldat:\n1\t2\t3\t4\t");
}

TEST(PrintRing, ListsEverySoldierOnceFromTheHead) {
    soldier* head = countout_test::make_ring(3);
    std::strcpy(head->next->name, "Bra%dvo");
    session s("");
    countout::print_ring(s.c, head);
    EXPECT_EQ(s.output(), "\n1\t1\n2\tBra%dvo\n3\t3");
    countout::free_ring(head);

    soldier* solo = countout_test::make_ring(1);
    session one("");
    countout::print_ring(one.c, solo);
    EXPECT_EQ(one.output(), "\n1\t1");
    countout::free_ring(solo);
}

} // namespace
