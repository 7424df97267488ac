// Rings of soldiers named by their numbers, counts run over them, and a
// the dialogue session of every test, for the countout tests.
#pragma once

#include "console.h"
#include "count.h"
#include "ring.h"
#include "support.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace countout_test {

using countout::soldier;

constexpr std::string_view invalid = "Vvedeno nevernoe znachenie!\nPovtorite vvod: ";

using test_support::session;

// A ring of n soldiers (n >= 1) named "1".."n", taken from the soldiers' blocks as the program does.
inline soldier* make_ring(int n) {
    soldier* head = nullptr;
    for (int i = 1; i <= n; ++i) {
        soldier* s = countout::new_soldier();
        std::string name = std::to_string(i); // at most 8 digits in any test
        std::memcpy(s->name, name.c_str(), name.size() + 1);
        if (head == nullptr) {
            head = s;
            s->next = s;
            s->prev = s;
        } else {
            // Closed at every step: the newest soldier sits just before head.
            soldier* last = head->prev;
            last->next = s;
            s->prev = last;
            s->next = head;
            head->prev = s;
        }
    }
    return head;
}

// The soldier listed as number k (1-based).
inline soldier* nth(soldier* head, int k) {
    for (int i = 1; i < k; ++i) head = head->next;
    return head;
}

// -1 for no soldier, so that a failed check does not also crash the test.
inline int number_of(const soldier* s) { return s == nullptr ? -1 : std::atoi(s->name); }

struct outcome {
    std::vector<int> order; // numbers of the soldiers who leave, in order
    int survivor = 0;
    bool operator==(const outcome&) const = default;
};

// Runs the program's count over a fresh ring of n soldiers.
inline outcome program_count(int n, int start, std::int32_t step, char direction, bool indexed) {
    soldier* head = make_ring(n);
    countout::count_state s(nth(head, start), step, direction);
    if (indexed && !s.index()) std::abort();
    // Every soldier must be out of the ring before it is handed back: with
    // the index they all are before the first one, and only the last one
    // is left in a ring of its own; walking, each leaves as it is counted
    // out, and its neighbours are still in the ring.
    if (indexed && (s.current()->next != s.current() || s.current()->prev != s.current())) std::abort();
    outcome result;
    while (s.left() > 1) {
        soldier* gone = s.leave_next();
        if (!indexed && (gone->prev->next == gone || gone->next->prev == gone)) std::abort();
        result.order.push_back(number_of(gone));
        countout::free_soldier(gone);
    }
    if (s.current()->next != s.current() || s.current()->prev != s.current()) std::abort();
    result.survivor = number_of(s.current());
    countout::free_soldier(s.current());
    return result;
}

// The count as the rhyme says it, one move per counted soldier, over a ring
// of its own: every removal resumes at the right-hand neighbour.
inline outcome direct_count(int n, int start, long long step, char direction) {
    std::vector<int> prev(static_cast<std::size_t>(n) + 1);
    std::vector<int> next(static_cast<std::size_t>(n) + 1);
    for (int i = 1; i <= n; ++i) {
        prev[static_cast<std::size_t>(i)] = i == 1 ? n : i - 1;
        next[static_cast<std::size_t>(i)] = i == n ? 1 : i + 1;
    }
    outcome result;
    int current = start;
    for (int left = n; left > 1; --left) {
        int gone = current;
        for (long long m = 1; m < step; ++m)
            gone = direction == 'l' ? prev[static_cast<std::size_t>(gone)]
                                    : next[static_cast<std::size_t>(gone)];
        int p = prev[static_cast<std::size_t>(gone)];
        int q = next[static_cast<std::size_t>(gone)];
        next[static_cast<std::size_t>(p)] = q;
        prev[static_cast<std::size_t>(q)] = p;
        result.order.push_back(gone);
        current = q;
    }
    result.survivor = current;
    return result;
}

} // namespace countout_test
