#include "blocks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace {

struct item {
    std::uint64_t a;
    std::uint64_t b;
    char tail[8];
};

TEST(Pool, ItemsAreDistinctAlignedAndKeepWhatIsWritten) {
    blk::pool p(sizeof(item), alignof(item));
    // Several blocks' worth, so that the items cross from block to block.
    const std::size_t n = 3 * blk::block_size / sizeof(item);
    std::vector<item*> taken;
    for (std::size_t i = 0; i < n; ++i) {
        auto* it = static_cast<item*>(p.take());
        ASSERT_NE(it, nullptr);
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(it) % alignof(item), 0u);
        *it = item{i, ~i, "abcdefg"};
        taken.push_back(it);
    }
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(taken[i]->a + taken[i]->b, i + ~i);
    std::set<item*> distinct(taken.begin(), taken.end());
    EXPECT_EQ(distinct.size(), n);
    for (item* it : taken) p.give_back(it);
}

TEST(Pool, AnItemGivenBackIsTakenAgainOneGivenBackUntouchedIsNot) {
    blk::pool p(sizeof(item), alignof(item));
    void* keep = p.take();
    void* first = p.take();
    void* second = p.take();
    p.give_back(first);
    EXPECT_EQ(p.take(), first);
    p.give_back_untouched(second);
    // Its room waits until every item is back.
    void* next = p.take();
    EXPECT_NE(next, second);
    p.give_back(next);
    p.give_back(first);
    p.give_back(keep);
}

TEST(Blocks, ABlockIsAlignedToItsSize) {
    void* b = blk::take_block();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b) % blk::block_size, 0u);
    std::memset(b, 1, blk::block_size);
    blk::give_block(b);
}

} // namespace
