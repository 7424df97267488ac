#include "count.h"

#include <bit>
#include <cstdlib>

namespace countout {

namespace {

constexpr std::size_t word_bits = 64;

std::size_t lowest_bit(std::size_t i) { return i & (~i + 1); }

// Index of the set bit of w that has rank soldiers below it (rank < popcount(w)).
std::size_t select_bit(std::uint64_t w, std::size_t rank) {
    std::size_t bit = 0;
    for (unsigned width = 32; width != 0; width /= 2) {
        std::uint64_t low = w & ((std::uint64_t{1} << width) - 1);
        auto below = static_cast<std::size_t>(std::popcount(low));
        if (rank >= below) {
            rank -= below;
            w >>= width;
            bit += width;
        } else {
            w = low;
        }
    }
    return bit;
}

// Position (0-based) of the soldier of the given rank among those left.
std::size_t find_rank(const count_state& s, std::size_t rank) {
    std::size_t word = 0;
    for (std::size_t step = s.top; step != 0; step >>= 1) {
        if (word + step <= s.words && s.tree[word + step] <= rank) {
            word += step;
            rank -= s.tree[word];
        }
    }
    return word * word_bits + select_bit(s.alive[word], rank);
}

void remove_position(count_state& s, std::size_t pos) {
    std::size_t word = pos / word_bits;
    s.alive[word] &= ~(std::uint64_t{1} << (pos % word_bits));
    for (std::size_t i = word + 1; i <= s.words; i += lowest_bit(i)) --s.tree[i];
}

void unlink(soldier* s) {
    s->prev->next = s->next;
    s->next->prev = s->prev;
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
    std::size_t words = (n + word_bits - 1) / word_bits;
    // A table of pointers to soldiers, not of soldiers.
    // NOLINTNEXTLINE(bugprone-sizeof-expression)
    s.at = static_cast<soldier**>(std::malloc(n * sizeof(soldier*)));
    s.alive = static_cast<std::uint64_t*>(std::malloc(words * sizeof(std::uint64_t)));
    s.tree = static_cast<std::uint32_t*>(std::malloc((words + 1) * sizeof(std::uint32_t)));
    if (s.at == nullptr || s.alive == nullptr || s.tree == nullptr) {
        end_count(s);
        return false;
    }
    soldier* at = s.current;
    for (std::size_t i = 0; i < n; ++i, at = at->next) s.at[i] = at;
    for (std::size_t w = 0; w < words; ++w) s.alive[w] = ~std::uint64_t{0};
    if (n % word_bits != 0) s.alive[words - 1] = (std::uint64_t{1} << (n % word_bits)) - 1;
    // Every word starts full: build the sums bottom-up in O(words).
    s.tree[0] = 0;
    for (std::size_t i = 1; i <= words; ++i)
        s.tree[i] = static_cast<std::uint32_t>(std::popcount(s.alive[i - 1]));
    for (std::size_t i = 1; i <= words; ++i) {
        std::size_t parent = i + lowest_bit(i);
        if (parent <= words) s.tree[parent] += s.tree[i];
    }
    s.words = words;
    s.top = std::bit_floor(words);
    s.rank = 0;
    return true;
}

soldier* leave_next(count_state& s) {
    std::size_t moves = (static_cast<std::size_t>(s.step) - 1) % s.left;
    soldier* gone = s.current;
    if (s.tree != nullptr) {
        std::size_t target =
            s.direction == 'l' ? (s.rank + s.left - moves) % s.left : (s.rank + moves) % s.left;
        std::size_t pos = find_rank(s, target);
        gone = s.at[pos];
        remove_position(s, pos);
        // The right-hand neighbour takes over the rank of the soldier who left.
        s.rank = target == s.left - 1 ? 0 : target;
    } else {
        for (; moves > 0; --moves) gone = step_dir(gone, s.direction);
    }
    unlink(gone);
    s.current = gone->next;
    --s.left;
    return gone;
}

void end_count(count_state& s) {
    std::free(s.at);
    std::free(s.alive);
    std::free(s.tree);
    s.at = nullptr;
    s.alive = nullptr;
    s.tree = nullptr;
    s.words = 0;
    s.top = 0;
    s.rank = 0;
}

} // namespace countout
