#include "count.h"

#include <bit>
#include <cstdlib>

namespace countout {

namespace {

constexpr std::size_t word_bits = 64;

std::size_t lowest_bit(std::size_t i) { return i & (~i + 1); }

constexpr std::uint64_t ones = 0x0101010101010101;

// The number of set bits of every byte of w, in that byte: the population
// count's first steps, without a call where the processor has no
// instruction for it.
std::uint64_t byte_counts(std::uint64_t w) {
    w -= (w >> 1) & 0x5555555555555555;
    w = (w & 0x3333333333333333) + ((w >> 2) & 0x3333333333333333);
    return (w + (w >> 4)) & 0x0f0f0f0f0f0f0f0f;
}

unsigned count_bits(std::uint64_t w) { return static_cast<unsigned>((byte_counts(w) * ones) >> 56); }

// Index of the set bit of w that has rank set bits below it (rank <
// count_bits(w)), without a branch on the bits: byte i of below holds the
// set bits of bytes 0..i, and the bytes whose count does not pass rank are
// counted all at once; the byte found has at most 8 bits left to pass.
std::size_t select_bit(std::uint64_t w, std::size_t rank) {
    std::uint64_t below = byte_counts(w) * ones;
    std::uint64_t passed = (((rank | 0x80) * ones - below) & (0x80 * ones)) >> 7; // 1 per byte not past rank
    auto byte = static_cast<unsigned>((passed * ones) >> 56);
    std::size_t before = byte == 0 ? 0 : (below >> (8 * byte - 8)) & 0xff;
    auto bits = static_cast<unsigned>((w >> (8 * byte)) & 0xff);
    for (std::size_t r = rank - before; r > 0; --r) bits &= bits - 1;
    return std::size_t{8} * byte + static_cast<std::size_t>(std::countr_zero(bits));
}

void unlink(soldier* s) {
    s->prev->next = s->next;
    s->next->prev = s->prev;
}

} // namespace

// Position (0-based) of the soldier of the given rank among those left. The
// tree is padded to twice its top with counts no rank reaches, so every
// level takes one look and no branch.
std::size_t count_state::find_rank(std::size_t rank) const {
    std::size_t word = 0;
    for (std::size_t step = top_; step != 0; step >>= 1) {
        std::size_t count = tree_[word + step];
        // All ones when the word's count is passed: a mask, not a jump the
        // processor would guess wrong half the time.
        std::size_t passed = 0 - static_cast<std::size_t>(count <= rank);
        word += step & passed;
        rank -= count & passed;
    }
    return word * word_bits + select_bit(alive_[word], rank);
}

void count_state::remove_position(std::size_t pos) {
    std::size_t word = pos / word_bits;
    alive_[word] &= ~(std::uint64_t{1} << (pos % word_bits));
    for (std::size_t i = word + 1; i <= words_; i += lowest_bit(i)) --tree_[i];
}

// The index of the n soldiers still in the ring, every one of them there,
// and room for the order of leaving. False when memory runs out.
bool count_state::build_index(std::size_t n) {
    std::size_t words = (n + word_bits - 1) / word_bits;
    std::size_t top = std::bit_floor(words);
    // A table of pointers to soldiers, not of soldiers.
    // NOLINTNEXTLINE(bugprone-sizeof-expression)
    soldier_of_ = static_cast<soldier**>(std::malloc(n * sizeof(soldier*)));
    alive_ = static_cast<std::uint64_t*>(std::malloc(words * sizeof(std::uint64_t)));
    tree_ = static_cast<std::uint32_t*>(std::malloc(2 * top * sizeof(std::uint32_t)));
    order_ = static_cast<std::uint32_t*>(std::malloc(n * sizeof(std::uint32_t)));
    if (soldier_of_ == nullptr || alive_ == nullptr || tree_ == nullptr || order_ == nullptr) return false;
    soldier* at = current_;
    for (std::size_t i = 0; i < n; ++i, at = at->next) soldier_of_[i] = at;
    for (std::size_t w = 0; w < words; ++w) alive_[w] = ~std::uint64_t{0};
    if (n % word_bits != 0) alive_[words - 1] = (std::uint64_t{1} << (n % word_bits)) - 1;
    // Every word starts full: build the sums bottom-up in O(words).
    tree_[0] = 0;
    for (std::size_t i = 1; i <= words; ++i) tree_[i] = count_bits(alive_[i - 1]);
    for (std::size_t i = 1; i <= words; ++i) {
        std::size_t parent = i + lowest_bit(i);
        if (parent <= words) tree_[parent] += tree_[i];
    }
    for (std::size_t i = words + 1; i < 2 * top; ++i) tree_[i] = UINT32_MAX;
    words_ = words;
    top_ = top;
    handed_back_ = 0;
    return true;
}

// The order of leaving, from the index alone; returns the soldier who is
// left. After every removal the right-hand neighbour takes over the rank of
// the soldier who left.
soldier* count_state::settle_order(std::size_t n) {
    std::size_t rank = 0;
    auto moves_per_count = static_cast<std::size_t>(step_) - 1;
    for (std::size_t left = n; left > 1; --left) {
        std::size_t moves = moves_per_count % left;
        std::size_t target = direction_ == 'l' ? (rank + left - moves) % left : (rank + moves) % left;
        std::size_t pos = find_rank(target);
        remove_position(pos);
        order_[n - left] = static_cast<std::uint32_t>(pos);
        rank = target == left - 1 ? 0 : target;
    }
    return soldier_of_[find_rank(0)];
}

// Every soldier but last leaves the ring, taken in ring order from the
// start: the soldiers lie that way in memory, and the neighbours whose
// links change are the ones just passed or the last one.
void count_state::reduce_ring(std::size_t n, soldier* last) {
    soldier* at = current_;
    for (std::size_t i = 0; i < n; ++i) {
        soldier* next = at->next;
        if (at != last) unlink(at);
        at = next;
    }
    current_ = last;
}

count_state::count_state(soldier* start, std::int32_t step, char direction)
    : current_(start), step_(step), direction_(direction) {
    for (const soldier* at = start->next; at != start; at = at->next) ++left_;
}

bool count_state::index() {
    release();
    std::size_t n = left_;
    if (n < 2) return true; // the one left is already alone in the ring
    if (!build_index(n)) {
        release();
        return false;
    }
    reduce_ring(n, settle_order(n));
    return true;
}

soldier* count_state::leave_next() {
    if (order_ != nullptr) {
        --left_;
        return soldier_of_[order_[handed_back_++]];
    }
    std::size_t moves = (static_cast<std::size_t>(step_) - 1) % left_;
    soldier* gone = current_;
    for (; moves > 0; --moves) gone = step_dir(gone, direction_);
    unlink(gone);
    current_ = gone->next;
    --left_;
    return gone;
}

void count_state::release() {
    std::free(static_cast<void*>(soldier_of_));
    std::free(alive_);
    std::free(tree_);
    std::free(order_);
    soldier_of_ = nullptr;
    alive_ = nullptr;
    tree_ = nullptr;
    order_ = nullptr;
}

} // namespace countout
