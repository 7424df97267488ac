#include "count.h"
#include "ring_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

using namespace countout_test;

struct known_order {
    int soldiers;
    int start;
    std::int32_t step;
    char direction;
    std::vector<int> order;
    int survivor;
};

const known_order known_orders[] = {
    {5, 1, 2, 'r', {2, 4, 1, 5}, 3},
    {5, 1, 2, 'l', {5, 4, 3, 2}, 1},
    {5, 3, 3, 'r', {5, 3, 2, 4}, 1},
    {5, 3, 3, 'l', {1, 4, 2, 3}, 5},
    {5, 1, 1, 'r', {1, 2, 3, 4}, 5},
    {5, 1, 1, 'l', {1, 2, 3, 4}, 5},
    {7, 1, 3, 'r', {3, 6, 2, 7, 5, 1}, 4},
    {7, 1, 3, 'l', {6, 4, 2, 7, 3, 5}, 1},
    {3, 2, 5, 'r', {3, 1}, 2},
    {3, 2, 5, 'l', {1, 2}, 3},
};

TEST(Count, SmallRingsLeaveInTheKnownOrder) {
    for (const auto& e : known_orders) {
        SCOPED_TRACE(testing::Message() << e.soldiers << " soldiers, start " << e.start << ", step " << e.step
                                        << ", direction " << e.direction);
        outcome expected{e.order, e.survivor};
        EXPECT_EQ(program_count(e.soldiers, e.start, e.step, e.direction, true), expected);
        EXPECT_EQ(program_count(e.soldiers, e.start, e.step, e.direction, false), expected);
        EXPECT_EQ(direct_count(e.soldiers, e.start, e.step, e.direction), expected);
    }
}

TEST(Count, RightFromTheFirstSoldierMatchesTheRecurrence) {
    const std::int32_t big_steps[] = {97, 1000, 65536, 1000000007, std::numeric_limits<std::int32_t>::max()};
    std::vector<std::int32_t> steps;
    for (std::int32_t k = 1; k <= 40; ++k) steps.push_back(k);
    steps.insert(steps.end(), std::begin(big_steps), std::end(big_steps));
    for (std::int32_t k : steps) {
        // J(1) = 0, J(n) = (J(n-1) + k) mod n: the survivor's 0-based number.
        std::uint64_t j = 0;
        for (int n = 1; n <= 150; ++n) {
            if (n > 1) j = (j + static_cast<std::uint64_t>(k)) % static_cast<std::uint64_t>(n);
            ASSERT_EQ(program_count(n, 1, k, 'r', true).survivor, static_cast<int>(j) + 1)
                << n << " soldiers, step " << k;
        }
    }
}

TEST(Count, MatchesTheSingleMoveCountOnRandomRings) {
    std::mt19937 rng(20240607);
    for (int trial = 0; trial < 3000; ++trial) {
        int n = std::uniform_int_distribution<int>(1, trial < 2900 ? 40 : 700)(rng);
        int start = std::uniform_int_distribution<int>(1, n)(rng);
        // Steps up to several whole turns of the full ring.
        auto step = std::uniform_int_distribution<std::int32_t>(1, 4 * n + 3)(rng);
        char direction = trial % 2 == 0 ? 'r' : 'l';
        SCOPED_TRACE(testing::Message() << n << " soldiers, start " << start << ", step " << step
                                        << ", direction " << direction);
        outcome expected = direct_count(n, start, step, direction);
        ASSERT_EQ(program_count(n, start, step, direction, true), expected);
        ASSERT_EQ(program_count(n, start, step, direction, false), expected);
    }
}

TEST(Count, RingsAroundWholeWordsOfTheIndexMatchTheSingleMoveCount) {
    for (int n : {63, 64, 65, 127, 128, 129, 4097}) {
        for (std::int32_t step : {2, 5, 64, 65}) {
            for (char direction : {'r', 'l'}) {
                SCOPED_TRACE(testing::Message()
                             << n << " soldiers, step " << step << ", direction " << direction);
                int start = n - 1;
                ASSERT_EQ(program_count(n, start, step, direction, true),
                          direct_count(n, start, step, direction));
            }
        }
    }
}

TEST(Count, LargeRingMatchesTheRecurrence) {
    const int n = 100000;
    const std::int32_t k = 1000000007;
    std::uint64_t j = 0;
    for (int m = 2; m <= n; ++m) j = (j + static_cast<std::uint64_t>(k)) % static_cast<std::uint64_t>(m);
    EXPECT_EQ(program_count(n, 1, k, 'r', true).survivor, static_cast<int>(j) + 1);
}

TEST(Count, StepsOfManyTurnsMatchTheSingleMoveCount) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 200; ++trial) {
        int n = std::uniform_int_distribution<int>(2, 8)(rng);
        int start = std::uniform_int_distribution<int>(1, n)(rng);
        auto step = std::uniform_int_distribution<std::int32_t>(10000, 60000)(rng);
        for (char direction : {'r', 'l'}) {
            SCOPED_TRACE(testing::Message() << n << " soldiers, start " << start << ", step " << step
                                            << ", direction " << direction);
            ASSERT_EQ(program_count(n, start, step, direction, true),
                      direct_count(n, start, step, direction));
        }
    }
}

TEST(Count, LargestStepsAgreeWithAndWithoutTheIndex) {
    const std::int32_t steps[] = {1000000007, std::numeric_limits<std::int32_t>::max(),
                                  std::numeric_limits<std::int32_t>::max() - 1};
    for (std::int32_t step : steps) {
        for (int n : {2, 3, 10, 101, 1000}) {
            for (char direction : {'r', 'l'}) {
                SCOPED_TRACE(testing::Message()
                             << n << " soldiers, step " << step << ", direction " << direction);
                int start = n / 2 + 1;
                EXPECT_EQ(program_count(n, start, step, direction, true),
                          program_count(n, start, step, direction, false));
            }
        }
    }
}

TEST(Count, StepOneLeavesInRingOrderAndKeepsTheLeftHandNeighbour) {
    for (int n = 2; n <= 30; ++n) {
        for (char direction : {'r', 'l'}) {
            int start = n / 3 + 1;
            outcome got = program_count(n, start, 1, direction, true);
            std::vector<int> order;
            order.reserve(static_cast<std::size_t>(n - 1));
            for (int i = 0; i < n - 1; ++i) order.push_back((start - 1 + i) % n + 1);
            EXPECT_EQ(got.order, order) << n << " soldiers, direction " << direction;
            EXPECT_EQ(got.survivor, start == 1 ? n : start - 1);
        }
    }
}

TEST(Count, LeftWithStepTwoKeepsTheStartSoldier) {
    for (int n = 2; n <= 60; ++n)
        for (int start = 1; start <= n; start += 7)
            EXPECT_EQ(program_count(n, start, 2, 'l', true).survivor, start) << n << " soldiers";
}

TEST(Count, OneSoldierIsTheSurvivorWithoutAnyCount) {
    EXPECT_EQ(program_count(1, 1, 5, 'l', true), (outcome{{}, 1}));
    EXPECT_EQ(program_count(1, 1, 5, 'r', false), (outcome{{}, 1}));
}

} // namespace
