// The tables of lines and of their sums, the line read and the listing.
#pragma once

#include "console.h"

#include <cstdint>

namespace stringsort {

// Takes the tables for n lines of m characters each (the terminating zero
// included), in the dialogue's order: the lines table, every line buffer, the
// sums table, every sum cell (set to 0). False, with nothing left allocated,
// when that cannot be done: a negative n, a buffer without room for its
// terminating zero, or memory exhausted. n = 0 needs no tables at all.
bool allocate_tables(char**& lines, std::int32_t**& sums, int n, int m);
// Gives back everything allocate_tables took.
void release_tables(char** lines, std::int32_t** sums, int n);

// Asks for line i by its number i + 1 and reads at most m characters of a
// freshly typed line into its buffer, the line break included; the m-th
// character of a longer line is lost and the rest stays pending. False when
// input ended first.
bool read_line(con::console& c, char** lines, int i, int m);
// Lists the n lines in table order.
void print_lines(con::console& c, char** lines, int n);

} // namespace stringsort
