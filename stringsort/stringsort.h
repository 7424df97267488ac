// stringsort: typed lines of a fixed size, listed, sorted alphabetically from
// their first capital letter or by the sums of the numbers in them, and listed
// again.
#pragma once

#include "console.h"

namespace stringsort {

// The whole dialogue. Returns the exit status: 1 when memory ran out.
int run(con::console& c);

} // namespace stringsort
