// Who owns the ring when input ends in the middle of a pass: something the
// dialogue cases cannot show, since the program ends quietly either way.
#include "countout.h"
#include "ring_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using countout::soldier;
using countout_test::make_ring;
using countout_test::session;

TEST(ChooseStart, EndOfInputLeavesTheRingToTheCaller) {
    soldier* head = make_ring(2);
    session s("9\n");
    EXPECT_EQ(countout::choose_start(s.c, head, 2), nullptr);
    EXPECT_EQ(head->next->next, head);
    countout::free_ring(head);
}

TEST(CountOut, EndOfInputFreesTheWholeRing) {
    // Nothing may be left for the leak check of the sanitizer build.
    constexpr std::string_view asked =
        "\nVvedite napravlenie r/l: Napravlenie vvedeno neverno!\npovtorite vvod! l/r?\n";
    session s("x\n");
    EXPECT_EQ(countout::count_out(s.c, make_ring(6), 3), nullptr);
    EXPECT_EQ(s.output(), asked);
}

} // namespace
