// The tables of lines and of their sums, the line read and the listing.
#pragma once

#include "console.h"

#include <cstdint>

namespace stringsort {

// Whether n lines of buffers of m characters (the terminating zero included)
// can be stored at all: n must not be negative, and a line needs room for its
// terminating zero. n = 0 needs no tables, whatever m is.
bool sizes_allowed(int n, int m);
// Adds entry `count` to both tables, growing them as lines come (never past n
// entries): a line entry with no buffer yet and a sum cell set to 0; count
// then grows by one. False, with both tables still valid for their first
// count entries, when memory is exhausted.
bool add_entry(char**& lines, std::int32_t**& sums, int& count, int& capacity, int n);
// Gives back the first n entries of both tables and the tables themselves.
void release_tables(char** lines, std::int32_t** sums, int n);

// Asks for line i by its number i + 1 and reads at most m characters of a
// freshly typed line, the line break included; the m-th character of a
// longer line is lost and the rest stays pending. Line i then gets a buffer
// of just the characters kept and their terminating zero, in place of any it
// had. False when input ended first or memory ran out (con::ended tells
// which), line i unchanged.
bool read_line(con::console& c, char** lines, int i, int m);
// Lists the n lines in table order.
void print_lines(con::console& c, char** lines, int n);

} // namespace stringsort
