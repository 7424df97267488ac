#include "count.h"

#include <cstdlib>

namespace countout {

namespace {

// Position (0-based) of the soldier of the given rank among those left.
std::size_t find_rank(const count_state& s, std::size_t rank) {
    std::size_t pos = 0;
    std::size_t wanted = rank + 1;
    for (std::size_t bit = s.top; bit != 0; bit >>= 1) {
        if (pos + bit <= s.size && s.tree[pos + bit] < wanted) {
            pos += bit;
            wanted -= s.tree[pos];
        }
    }
    return pos;
}

void remove_position(count_state& s, std::size_t pos) {
    for (std::size_t i = pos + 1; i <= s.size; i += i & (~i + 1)) --s.tree[i];
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
    s.at = static_cast<soldier**>(std::malloc(n * sizeof(soldier*)));
    s.tree = static_cast<std::uint32_t*>(std::malloc((n + 1) * sizeof(std::uint32_t)));
    if (s.at == nullptr || s.tree == nullptr) {
        end_count(s);
        return false;
    }
    soldier* at = s.current;
    for (std::size_t i = 0; i < n; ++i, at = at->next) s.at[i] = at;
    // Every position holds one soldier: build the sums bottom-up in O(n).
    s.tree[0] = 0;
    for (std::size_t i = 1; i <= n; ++i) s.tree[i] = 1;
    for (std::size_t i = 1; i <= n; ++i) {
        std::size_t parent = i + (i & (~i + 1));
        if (parent <= n) s.tree[parent] += s.tree[i];
    }
    s.size = n;
    s.top = 1;
    while (s.top * 2 <= n) s.top *= 2;
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
    std::free(s.tree);
    s.at = nullptr;
    s.tree = nullptr;
    s.size = 0;
    s.top = 0;
    s.rank = 0;
}

} // namespace countout
