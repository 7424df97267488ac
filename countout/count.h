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

struct count_state {
    soldier* current = nullptr; // counts as 1 in the next count; the last one left at the end
    std::int32_t step = 1;
    char direction = 'r';
    std::size_t left = 0; // soldiers not yet handed back

    // The index; null when the count walks the ring instead.
    std::size_t* run_first = nullptr; // runs of soldiers side by side: the first position of each
    soldier** run_base = nullptr;     // and its soldier
    std::size_t runs = 0;
    soldier** at = nullptr;         // or, when there are too many runs, the soldier of every position
    std::uint64_t* alive = nullptr; // bit p % 64 of word p / 64: position p not yet picked
    std::uint32_t* tree = nullptr;  // Fenwick tree over the words' counts, words 1..words, then padding
    std::size_t words = 0;
    std::size_t top = 0;            // highest power of two not above words
    std::uint32_t* order = nullptr; // positions in the order of leaving
    std::size_t handed = 0;         // soldiers of order handed back so far
};

// Sets up a count from start (step >= 1, direction 'l' or 'r') that walks the
// ring one soldier at a time.
void start_count(count_state& s, soldier* start, std::int32_t step, char direction);

// Builds the index for the soldiers left, settles on it the order in which
// they leave, and unlinks all but the last one from the ring; s.current is
// then that last one. False, with the count still walking and the ring
// untouched, when memory runs out.
bool index_count(count_state& s);

// Counts out the next soldier (s.left >= 2) and returns it, out of the ring,
// for the caller to free. When walking, s.current then holds its right-hand
// neighbour, where the next count starts in both directions.
soldier* leave_next(count_state& s);

// Releases the index; the ring is not touched.
void end_count(count_state& s);

} // namespace countout
