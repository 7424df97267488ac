#include "sort.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <utility>
#include <vector>

namespace stringsort {

namespace {

bool is_capital(char ch) { return ch >= 'A' && ch <= 'Z'; }
bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

// Counting trees over positions 0..size-1, stored in t[1..size].
void tree_add(int* t, int size, int pos, int delta) {
    for (int j = pos + 1;; j += j & -j) {
        t[j] += delta;
        if (j > size - (j & -j)) break; // also keeps j + (j & -j) from overflowing
    }
}

// How many were counted at positions 0..pos.
int tree_prefix(const int* t, int pos) {
    int sum = 0;
    for (int j = pos + 1; j > 0; j -= j & -j) sum += t[j];
    return sum;
}

// A tree with every one of the size positions counted once.
void tree_fill_ones(int* t, int size) {
    for (int j = 1; j <= size; ++j) t[j] = j & -j;
}

// Finds the position of the k-th (from 0) counted position and uncounts it.
int tree_take(int* t, int size, int k) {
    int step = 1;
    while (step <= size / 2) step *= 2;
    int pos = 0;
    for (; step > 0; step /= 2) {
        if (pos + step <= size && t[pos + step] <= k) {
            pos += step;
            k -= t[pos];
        }
    }
    tree_add(t, size, pos, -1);
    return pos;
}

// Moves a group's start back by `turns` places (each turn brings its last
// member to its front).
int turn_back(int start, int turns, int size) {
    start -= turns % size;
    return start < 0 ? start + size : start;
}

} // namespace

const char* find_key(const char* line) {
    while (*line != '\0' && !is_capital(*line)) ++line;
    return line;
}

int compare_keys(const char* a, const char* b) {
    while (*a == *b && *a != '\0') {
        ++a;
        ++b;
    }
    return static_cast<signed char>(*a) - static_cast<signed char>(*b);
}

// The exchange sort runs its passes from the last entry to the first; each
// pass puts the line of entry i into the already sorted tail. Every group of
// equal keys smaller than that line's key then turns once (its last member
// moves to its front, the members sliding down one entry to make room), and
// the line itself joins the front of its own group. So only the arrangement
// inside each group needs working out.
//
// A group is kept as a cycle held in a sequence with a start index: a turn
// moves the start back, a new line is put into the sequence at the start
// index and becomes the start. The turns a group takes between two of its own
// insertions are the insertions of larger keys in between, counted by rank.
// The insertion indices alone then fix every line's final place in its
// sequence, found backwards from the last insertion by picking free places.
void sort_alpha(char** lines, int n) {
    if (n < 2) return;
    const auto count = static_cast<std::size_t>(n);
    std::vector<const char*> key(count);
    for (std::size_t i = 0; i < count; ++i) key[i] = find_key(lines[i]);

    std::vector<int> by_key(count);
    std::iota(by_key.begin(), by_key.end(), 0);
    std::sort(by_key.begin(), by_key.end(), [&key](int a, int b) {
        return compare_keys(key[static_cast<std::size_t>(a)], key[static_cast<std::size_t>(b)]) < 0;
    });
    std::vector<int> rank(count);
    int groups = 0;
    for (std::size_t p = 0; p < count; ++p) {
        const auto line = static_cast<std::size_t>(by_key[p]);
        if (p > 0 && compare_keys(key[static_cast<std::size_t>(by_key[p - 1])], key[line]) != 0) ++groups;
        rank[line] = groups;
    }
    ++groups;
    const auto group_count = static_cast<std::size_t>(groups);

    std::vector<int> inserted(group_count + 1, 0); // insertions so far, by rank
    std::vector<int> size(group_count, 0);
    std::vector<int> start(group_count, 0);
    std::vector<int> larger_seen(group_count, 0); // larger insertions when last inserted into
    std::vector<int> insert_at(count);
    int total = 0;
    for (int i = n - 1; i >= 0; --i) {
        const auto line = static_cast<std::size_t>(i);
        const int g = rank[line];
        const auto gi = static_cast<std::size_t>(g);
        const int larger = total - tree_prefix(inserted.data(), g);
        if (size[gi] > 0) start[gi] = turn_back(start[gi], larger - larger_seen[gi], size[gi]);
        insert_at[line] = start[gi];
        ++size[gi];
        larger_seen[gi] = larger;
        tree_add(inserted.data(), groups, g, 1);
        ++total;
    }

    std::vector<std::size_t> offset(group_count, 0); // first entry of each group
    for (int g = 0; g < groups; ++g) {
        const auto gi = static_cast<std::size_t>(g);
        const int larger = total - tree_prefix(inserted.data(), g);
        start[gi] = turn_back(start[gi], larger - larger_seen[gi], size[gi]);
        if (gi + 1 < group_count) offset[gi + 1] = offset[gi] + static_cast<std::size_t>(size[gi]);
    }

    // Free places of every group's sequence; group g's tree starts at
    // offset[g] + g, as each tree has one unused leading slot.
    std::vector<int> free_places(count + group_count, 0);
    for (std::size_t g = 0; g < group_count; ++g) tree_fill_ones(free_places.data() + offset[g] + g, size[g]);

    std::vector<char*> sorted(count, nullptr);
    for (std::size_t line = 0; line < count; ++line) { // the last inserted first
        const auto g = static_cast<std::size_t>(rank[line]);
        int* places = free_places.data() + offset[g] + g;
        const int place = tree_take(places, size[g], insert_at[line]);
        int in_group = place - start[g];
        if (in_group < 0) in_group += size[g];
        sorted[offset[g] + static_cast<std::size_t>(in_group)] = lines[line];
    }
    std::copy(sorted.begin(), sorted.end(), lines);
}

void sum_line(char** lines, std::int32_t** sums, int i) {
    const char* p = lines[i];
    auto sum = static_cast<std::uint32_t>(*sums[i]);
    for (;;) {
        while (*p == ' ') ++p;
        if (*p == '\0') break;
        const bool negative = *p == '-';
        if (*p == '+' || *p == '-') ++p;
        while (*p != '\0' && !is_digit(*p)) ++p;
        if (*p == '\0') break;
        std::uint32_t number = 0;
        for (; is_digit(*p); ++p) number = number * 10u + static_cast<std::uint32_t>(*p - '0');
        sum += negative ? 0u - number : number;
    }
    *sums[i] = static_cast<std::int32_t>(sum);
}

// The exchange sort itself, on a contiguous copy of the sums: entry i is held
// in a register while the pass runs, and the lines follow by their indices.
// A pass exchanges only where a sum exceeds the one held, so blocks whose
// largest sum does not are stepped over whole.
void sort_by_sums(char** lines, std::int32_t** sums, int n) {
    constexpr std::size_t block = 16;
    if (n < 2) return;
    const auto count = static_cast<std::size_t>(n);
    std::vector<std::int32_t> value(count);
    std::vector<int> from(count);
    for (std::size_t i = 0; i < count; ++i) {
        value[i] = *sums[i];
        from[i] = static_cast<int>(i);
    }
    for (std::size_t i = count; i-- > 0;) {
        std::int32_t held = value[i];
        int held_from = from[i];
        std::size_t j = 0;
        while (j < i) {
            for (; j + block <= i; j += block) {
                std::int32_t top = value[j];
                for (std::size_t k = 1; k < block; ++k) top = std::max(top, value[j + k]);
                if (top > held) break;
            }
            for (const std::size_t end = std::min(i, j + block); j < end; ++j) {
                if (held < value[j]) {
                    std::swap(held, value[j]);
                    std::swap(held_from, from[j]);
                }
            }
        }
        value[i] = held;
        from[i] = held_from;
    }
    std::vector<char*> new_lines(count);
    std::vector<std::int32_t*> new_sums(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(from[i]);
        new_lines[i] = lines[k];
        new_sums[i] = sums[k];
    }
    std::copy(new_lines.begin(), new_lines.end(), lines);
    std::copy(new_sums.begin(), new_sums.end(), sums);
}

} // namespace stringsort
