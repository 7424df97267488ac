// The tables of lines and of their sums, the line read and the listing.
#pragma once

#include "console.h"

#include <cstddef>
#include <cstdint>

namespace stringsort {

// Whether n lines of buffers of m characters (the terminating zero included)
// can be stored at all: n must not be negative, and a line needs room for its
// terminating zero. n = 0 needs no tables, whatever m is.
bool sizes_allowed(int n, int m);

// A block of line characters; the lines point into it.
struct text_block {
    text_block* previous;
    char* text;
    std::size_t room;
    std::size_t used;
};

// The typed lines and the cells of their sums: entry i of lines and entry i
// of sums belong to line i. The tables grow as lines come, never past `most`
// entries, so a large count costs nothing until its lines are typed. The
// characters of the lines follow one another in blocks and the sum cells lie
// in one array, so that a line costs no allocation of its own; until a sort
// reorders the tables, entry i of sums points at cells[i].
struct tables {
    char** lines = nullptr;
    std::int32_t** sums = nullptr;
    std::int32_t* cells = nullptr;
    int count = 0; // entries in use
    int capacity = 0;
    int most = 0;
    text_block* newest = nullptr;
};

// Adds entry `count` to both tables: a line entry with no characters yet and
// a sum cell set to 0. False, with both tables still valid for their first
// count entries, when they already hold `most` entries or memory is
// exhausted.
bool add_entry(tables& t);
// Gives back the tables, the cells and every block of characters.
void release_tables(tables& t);

// Asks for line i by its number i + 1 and reads at most m characters of a
// freshly typed line, the line break included; the m-th character of a
// longer line is lost and the rest stays pending. Line i then points at the
// characters kept and their terminating zero. False when input ended first
// or memory ran out (con::ended tells which), line i unchanged.
bool read_line(con::console& c, tables& t, int i, int m);
// Lists the n lines in table order.
void print_lines(con::console& c, char** lines, int n);

} // namespace stringsort
