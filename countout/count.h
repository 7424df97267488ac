// The count itself: who leaves the ring next, found in O(log n) per soldier.
//
// A step larger than the soldiers left only travels whole turns, so each
// count moves (step - 1) mod left soldiers. Which soldier that is comes from
// an index over the soldiers' positions along next from the start: one bit
// per position for the soldiers still in the ring, in words of 64, and a
// Fenwick tree over the words' counts. The current soldier is known by its
// rank among those left, the leaving one is the soldier whose rank lies that
// many moves away; binary lifting over the tree finds its word and a few
// population counts its bit. Counting whole words keeps the searched part
// of the index in cache: under 200 KB for a million soldiers.
//
// Who leaves depends on the index alone, never on the soldiers' records, so
// the index settles the whole order of leaving first. The ring is then
// reduced in one pass along next, in the order the soldiers lie in memory:
// unlinking a set of soldiers gives the same ring whatever the order, and a
// ring of a million soldiers is far larger than the caches, so unlinking
// them in the order they leave waited for memory three times a soldier.
// Every soldier is out of the ring before it is handed back, in the order of
// leaving, to be freed.
#pragma once

#include "ring.h"

#include <cstddef>
#include <cstdint>

namespace countout {

// A count from start (step >= 1, direction 'l' or 'r'), walking the ring one
// soldier at a time until index() builds the index. The index is freed with
// the count; the ring is never freed by it.
class count_state {
public:
    count_state(soldier* start, std::int32_t step, char direction);
    ~count_state() { release(); }
    count_state(const count_state&) = delete;
    count_state& operator=(const count_state&) = delete;

    // Builds the index for the soldiers left, settles on it the order in
    // which they leave, and unlinks all but the last one from the ring;
    // current() is then that last one. False, with the count still walking
    // and the ring untouched, when memory runs out.
    bool index();
    // Counts out the next soldier (left() >= 2) and returns it, out of the
    // ring, for the caller to free. When walking, current() then holds its
    // right-hand neighbour, where the next count starts in both directions.
    soldier* leave_next();

    // Counts as 1 in the next count; the last one left at the end.
    soldier* current() const { return current_; }
    // Soldiers not yet handed back by leave_next.
    std::size_t left() const { return left_; }

private:
    void release();
    std::size_t find_rank(std::size_t rank) const;
    void remove_position(std::size_t pos);
    bool build_index(std::size_t n);
    soldier* settle_order(std::size_t n);
    void reduce_ring(std::size_t n, soldier* last);

    soldier* current_;
    std::int32_t step_;
    char direction_;
    std::size_t left_ = 1;

    // The index; null while the count walks the ring. A count is at most
    // INT32_MAX soldiers, so a position fits 32 bits.
    soldier** soldier_of_ = nullptr; // the soldier of every position along next from the start
    std::uint64_t* alive_ = nullptr; // bit p % 64 of word p / 64: position p not yet picked
    std::uint32_t* tree_ = nullptr;  // Fenwick tree over the words' counts, words 1..words, then padding
    std::size_t words_ = 0;
    std::size_t top_ = 0;            // highest power of two not above words
    std::uint32_t* order_ = nullptr; // positions in the order of leaving
    std::size_t handed_back_ = 0;    // soldiers of order_ handed back so far
};

} // namespace countout
