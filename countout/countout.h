// The counting-out dialogue: passes of ring entry, start, step, direction
// and the count, until the user declines another pass.
#pragma once

#include "console.h"
#include "count.h"
#include "ring.h"

#include <cstdint>

namespace countout {

// The whole dialogue; always returns 0.
int run(con::console& c);

// Asks for the number of the soldier who counts first (1..count) and returns
// that soldier; null when input ends (the ring is left to the caller).
soldier* choose_start(con::console& c, soldier* head, std::int32_t count);

// Asks for the direction, counts soldiers out of the ring from start, freeing
// each as it leaves, and returns the one who remains. Null when input ends,
// with the whole ring freed.
soldier* count_out(con::console& c, soldier* start, std::int32_t step);

} // namespace countout
