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

// The order by sums follows the exchange sort without running it. Seen
// through a threshold t, a pass whose own entry holds a sum <= t while an
// entry before it holds a larger one swaps just two things: the first entry
// above t drops to t or below, and the pass's own entry rises above it. The
// entries above t end in the last places ("home"); an entry at or beyond home
// keeps its side of t until its own pass. So the lines of one sum v move only
// between positions holding v or more, and each class of equal sums can be
// worked out alone, from the largest sum down, with one counting tree over
// the positions that hold larger sums.
//
// The passes that move a class are its events: the passes at or beyond home
// whose entry holds v or less, one for each larger sum lying before home,
// the s-th event taking the s-th such position. Kept as a list in position
// order, the class changes at an event by one line moving to just behind the
// members that lie before the event's position: its first line (a rotation
// of that front part), or its last line when the pass's own entry holds v.
// The front part only grows, at m points in all, so a run of events between
// them is one rotation by the run's length. It is kept as a ring whose start
// moves with each rotation; a new member goes in just before the start, so
// its place in the ring's sequence at that moment is all that is recorded,
// and the ring's final order follows from those places read backwards by
// picking free places. The rest of the list loses only its first or last
// line, so it stays a range of the class's positions.
namespace {

// Scratch space for one class, kept across classes to allocate once.
struct sums_class {
    std::vector<int> before;    // for each member: larger sums at lower positions
    std::vector<int> joined;    // typed index of each member joining the ring
    std::vector<int> joined_at; // its place in the ring's sequence when it joined
    std::vector<int> free_places;
    std::vector<int> list; // the class in its order after all events
};

// Fills the class's final entries of placed with the typed indices
// of the class's lines. members holds its positions ascending; larger counts
// the positions holding larger sums, `larger_count` in all.
void place_class(const std::vector<std::int32_t>& value, const int* members, int m, const int* larger,
                 int larger_count, sums_class& scratch, std::vector<int>& placed) {
    const auto n = static_cast<int>(value.size());
    const std::int32_t v = value[static_cast<std::size_t>(members[0])];
    const int home = n - larger_count; // final home of the larger sums
    if (m == 1) {                      // a sum of its own has one entry to end in
        placed[static_cast<std::size_t>(home - 1)] = members[0];
        return;
    }
    const int events = tree_prefix(larger, home - 1);

    scratch.before.resize(static_cast<std::size_t>(m));
    int split = 0; // members before it lie before home
    for (int k = 0; k < m; ++k) {
        scratch.before[static_cast<std::size_t>(k)] = tree_prefix(larger, members[k] - 1);
        if (members[k] < home) split = k + 1;
    }
    // A member u before home joins the front part from event before(u) + 1
    // on; one at or beyond home is the pass that moves the list's last line,
    // its event number counted from the end.
    auto joins_at = [&](int k) { return scratch.before[static_cast<std::size_t>(k)] + 1; };
    auto own_pass = [&](int k) {
        return n - members[k] - (larger_count - scratch.before[static_cast<std::size_t>(k)]);
    };

    scratch.joined.clear();
    scratch.joined_at.clear();
    int ring = 0;  // size of the front part
    int start = 0; // where its first member stands in the ring's sequence
    int next = 1;  // the first event not yet accounted for
    auto advance = [&](int event) {
        if (ring > 0) start = (start + (event - next) % ring) % ring;
        next = event;
    };
    auto join = [&](int line) {
        scratch.joined.push_back(line);
        scratch.joined_at.push_back(start);
        ++ring;
        start = (start + 1) % ring;
    };
    int low = 0;      // next member before home to join
    int high = m - 1; // next member at or beyond home, taken downwards
    for (;;) {
        const bool low_due = low < split && joins_at(low) <= events;
        const bool high_due = high >= split;
        // At the same event a member from before home joins first: it lies
        // before the event's position when the pass's own line arrives.
        if (low_due && (!high_due || joins_at(low) <= own_pass(high))) {
            advance(joins_at(low));
            join(members[low++]);
        } else if (high_due) {
            advance(own_pass(high));
            join(members[high--]);
            next += 1; // that event is no rotation
        } else {
            break;
        }
    }
    advance(events + 1);

    scratch.free_places.resize(static_cast<std::size_t>(ring) + 1);
    int* places = scratch.free_places.data();
    tree_fill_ones(places, ring);
    scratch.list.resize(static_cast<std::size_t>(m));
    for (int k = ring; k-- > 0;) {
        const int place = tree_take(places, ring, scratch.joined_at[static_cast<std::size_t>(k)]);
        const int in_order = place >= start ? place - start : place - start + ring;
        scratch.list[static_cast<std::size_t>(in_order)] = scratch.joined[static_cast<std::size_t>(k)];
    }
    for (int k = low; k <= high; ++k) scratch.list[static_cast<std::size_t>(ring + k - low)] = members[k];

    // The class's own passes. By then no larger sum lies before home, and an
    // entry among the class's final entries whose first sum was v or more
    // holds v when its pass comes: that pass keeps the list's last line in
    // place; any other pass takes the list's first line.
    int front = 0;
    int back = m - 1;
    for (int i = home - 1; i >= home - m; --i) {
        const int from = value[static_cast<std::size_t>(i)] >= v ? back-- : front++;
        placed[static_cast<std::size_t>(i)] = scratch.list[static_cast<std::size_t>(from)];
    }
}

} // namespace

void sort_by_sums(char** lines, std::int32_t** sums, int n) {
    if (n < 2) return;
    const auto count = static_cast<std::size_t>(n);
    std::vector<std::int32_t> value(count);
    for (std::size_t i = 0; i < count; ++i) value[i] = *sums[i];
    // Largest sums first, each class by position: one key per entry, the sum
    // (its order reversed) above the position, so that the sort compares
    // plain integers.
    std::vector<std::uint64_t> keys(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t descending = ~(static_cast<std::uint32_t>(value[i]) ^ 0x80000000u);
        keys[i] = std::uint64_t{descending} << 32u | i;
    }
    std::sort(keys.begin(), keys.end());
    std::vector<int> by_value(count);
    for (std::size_t k = 0; k < count; ++k) by_value[k] = static_cast<int>(keys[k] & 0xFFFFFFFFu);
    keys = {};

    std::vector<int> larger(count + 1, 0); // positions holding sums above the class's
    std::vector<int> from(count);          // typed index of each final entry
    sums_class scratch;
    int larger_count = 0;
    for (std::size_t first = 0; first < count;) {
        std::size_t last = first + 1;
        while (last < count && value[static_cast<std::size_t>(by_value[last])] ==
                                   value[static_cast<std::size_t>(by_value[first])])
            ++last;
        const auto m = static_cast<int>(last - first);
        place_class(value, by_value.data() + first, m, larger.data(), larger_count, scratch, from);
        for (std::size_t k = first; k < last; ++k) tree_add(larger.data(), n, by_value[k], 1);
        larger_count += m;
        first = last;
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
