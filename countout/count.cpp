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

// Position (0-based) of the soldier of the given rank among those left. The
// tree is padded to twice its top with counts no rank reaches, so every
// level takes one look and no branch.
std::size_t find_rank(const count_state& s, std::size_t rank) {
    std::size_t word = 0;
    for (std::size_t step = s.top; step != 0; step >>= 1) {
        std::size_t count = s.tree[word + step];
        // All ones when the word's count is passed: a mask, not a jump the
        // processor would guess wrong half the time.
        std::size_t passed = 0 - static_cast<std::size_t>(count <= rank);
        word += step & passed;
        rank -= count & passed;
    }
    return word * word_bits + select_bit(s.alive[word], rank);
}

void remove_position(count_state& s, std::size_t pos) {
    std::size_t word = pos / word_bits;
    s.alive[word] &= ~(std::uint64_t{1} << (pos % word_bits));
    for (std::size_t i = word + 1; i <= s.words; i += lowest_bit(i)) --s.tree[i];
}

// The soldier at a position: in its run of neighbours that lie side by
// side in memory, or from the table.
soldier* soldier_at(const count_state& s, std::size_t pos) {
    if (s.at != nullptr) return s.at[pos];
    // The last run that begins at or before pos; the first begins at 0.
    const std::size_t* run = s.run_first;
    std::size_t count = s.runs;
    while (count > 1) {
        std::size_t half = count / 2;
        run = run[half] <= pos ? run + half : run;
        count -= half;
    }
    auto r = static_cast<std::size_t>(run - s.run_first);
    return s.run_base[r] + (pos - *run);
}

// Notes where the soldiers from start on lie: in at most most runs of
// soldiers side by side in memory, or false when there are more.
bool find_runs(count_state& s, std::size_t most) {
    const soldier* at = s.current;
    const soldier* before = nullptr;
    s.runs = 0;
    for (std::size_t i = 0; i < s.left; ++i, before = at, at = at->next) {
        if (before != nullptr && at == before + 1) continue;
        if (s.runs == most) return false;
        s.run_first[s.runs] = i;
        s.run_base[s.runs] = const_cast<soldier*>(at);
        ++s.runs;
    }
    return true;
}

void unlink(soldier* s) {
    s->prev->next = s->next;
    s->next->prev = s->prev;
}

// Notes where each position's soldier lies: soldiers built one after
// another lie side by side in their blocks, so a position finds its soldier
// from a few runs kept in cache; scattered soldiers get a table of one
// pointer each. False when memory runs out.
bool locate_soldiers(count_state& s, std::size_t n) {
    std::size_t most_runs = n / 64 + 64;
    // Tables of pointers to soldiers, not of soldiers.
    // NOLINTBEGIN(bugprone-sizeof-expression)
    s.run_first = static_cast<std::size_t*>(std::malloc(most_runs * sizeof(std::size_t)));
    s.run_base = static_cast<soldier**>(std::malloc(most_runs * sizeof(soldier*)));
    if (s.run_first == nullptr || s.run_base == nullptr) return false;
    if (find_runs(s, most_runs)) return true;
    s.at = static_cast<soldier**>(std::malloc(n * sizeof(soldier*)));
    // NOLINTEND(bugprone-sizeof-expression)
    if (s.at == nullptr) return false;
    soldier* at = s.current;
    for (std::size_t i = 0; i < n; ++i, at = at->next) s.at[i] = at;
    return true;
}

// The index of the n soldiers still in the ring, every one of them there,
// and room for the order of leaving. False when memory runs out.
bool build_index(count_state& s, std::size_t n) {
    std::size_t words = (n + word_bits - 1) / word_bits;
    std::size_t top = std::bit_floor(words);
    s.alive = static_cast<std::uint64_t*>(std::malloc(words * sizeof(std::uint64_t)));
    s.tree = static_cast<std::uint32_t*>(std::malloc(2 * top * sizeof(std::uint32_t)));
    // A count is at most INT32_MAX soldiers: a position fits 32 bits.
    s.order = static_cast<std::uint32_t*>(std::malloc(n * sizeof(std::uint32_t)));
    if (s.alive == nullptr || s.tree == nullptr || s.order == nullptr) return false;
    for (std::size_t w = 0; w < words; ++w) s.alive[w] = ~std::uint64_t{0};
    if (n % word_bits != 0) s.alive[words - 1] = (std::uint64_t{1} << (n % word_bits)) - 1;
    // Every word starts full: build the sums bottom-up in O(words).
    s.tree[0] = 0;
    for (std::size_t i = 1; i <= words; ++i) s.tree[i] = count_bits(s.alive[i - 1]);
    for (std::size_t i = 1; i <= words; ++i) {
        std::size_t parent = i + lowest_bit(i);
        if (parent <= words) s.tree[parent] += s.tree[i];
    }
    for (std::size_t i = words + 1; i < 2 * top; ++i) s.tree[i] = UINT32_MAX;
    s.words = words;
    s.top = top;
    s.handed = 0;
    return true;
}

// The order of leaving, from the index alone; returns the soldier who is
// left. After every removal the right-hand neighbour takes over the rank of
// the soldier who left.
soldier* settle_order(count_state& s, std::size_t n) {
    std::size_t rank = 0;
    auto moves_per_count = static_cast<std::size_t>(s.step) - 1;
    for (std::size_t left = n; left > 1; --left) {
        std::size_t moves = moves_per_count % left;
        std::size_t target = s.direction == 'l' ? (rank + left - moves) % left : (rank + moves) % left;
        std::size_t pos = find_rank(s, target);
        remove_position(s, pos);
        s.order[n - left] = static_cast<std::uint32_t>(pos);
        rank = target == left - 1 ? 0 : target;
    }
    return soldier_at(s, find_rank(s, 0));
}

// Every soldier but last leaves the ring, taken in ring order from the
// start: the soldiers lie that way in memory, and the neighbours whose
// links change are the ones just passed or the last one.
void reduce_ring(count_state& s, std::size_t n, soldier* last) {
    soldier* at = s.current;
    for (std::size_t i = 0; i < n; ++i) {
        soldier* next = at->next;
        if (at != last) unlink(at);
        at = next;
    }
    s.current = last;
}

} // namespace

void start_count(count_state& s, soldier* start, std::int32_t step, char direction) {
    end_count(s);
    s.current = start;
    s.step = step;
    s.direction = direction;
    s.left = 1;
    for (const soldier* at = start->next; at != start; at = at->next) ++s.left;
}

bool index_count(count_state& s) {
    end_count(s);
    std::size_t n = s.left;
    if (n < 2) return true; // the one left is already alone in the ring
    if (!locate_soldiers(s, n) || !build_index(s, n)) {
        end_count(s);
        return false;
    }
    reduce_ring(s, n, settle_order(s, n));
    return true;
}

soldier* leave_next(count_state& s) {
    if (s.order != nullptr) {
        --s.left;
        return soldier_at(s, s.order[s.handed++]);
    }
    std::size_t moves = (static_cast<std::size_t>(s.step) - 1) % s.left;
    soldier* gone = s.current;
    for (; moves > 0; --moves) gone = step_dir(gone, s.direction);
    unlink(gone);
    s.current = gone->next;
    --s.left;
    return gone;
}

void end_count(count_state& s) {
    std::free(s.at);
    std::free(s.run_first);
    std::free(s.run_base);
    s.run_first = nullptr;
    s.run_base = nullptr;
    s.runs = 0;
    std::free(s.alive);
    std::free(s.tree);
    std::free(s.order);
    s.order = nullptr;
    s.handed = 0;
    s.at = nullptr;
    s.alive = nullptr;
    s.tree = nullptr;
    s.words = 0;
    s.top = 0;
}

} // namespace countout
