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
// The ring itself is kept exactly as a walk would keep it: every leaving
// soldier is unlinked and handed back to be freed at once.
#pragma once

#include "ring.h"

#include <cstddef>
#include <cstdint>

namespace countout {

struct count_state {
    soldier* current = nullptr; // counts as 1 in the next count
    std::int32_t step = 1;
    char direction = 'r';
    std::size_t left = 0; // soldiers still in the ring

    // The index; null when the count walks the ring instead.
    soldier** at = nullptr;         // soldier by position along next from the start
    std::uint64_t* alive = nullptr; // bit p % 64 of word p / 64: position p still in the ring
    std::uint32_t* tree = nullptr;  // Fenwick tree over the words' counts, words 1..words
    std::size_t words = 0;
    std::size_t top = 0;  // highest power of two not above words
    std::size_t rank = 0; // current soldier's rank among those left
};

// Sets up a count from start (step >= 1, direction 'l' or 'r') that walks the
// ring one soldier at a time.
void start_count(count_state& s, soldier* start, std::int32_t step, char direction);

// Builds the index for the soldiers left, so that every later count takes
// O(log n). False, with the count still walking, when memory runs out.
bool index_count(count_state& s);

// Counts out the next soldier (s.left >= 2): unlinks it from the ring and
// returns it for the caller to free. s.current then holds its right-hand
// neighbour, where the next count starts in both directions.
soldier* leave_next(count_state& s);

// Releases the index; the ring is not touched.
void end_count(count_state& s);

} // namespace countout
