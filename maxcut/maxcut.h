// maxcut: a square matrix made non-negative, with the row and the column of
// its largest element removed. The dialogue and the matrix routines it is
// built from. Sizes and indices are 64-bit so that n×n never overflows.
#pragma once

#include "console.h"

#include <cstdint>

namespace maxcut {

// The largest element after the absolute-value step and where it stands.
struct largest_element {
    int value;
    std::int64_t row;
    std::int64_t column;
};

// One block of n×n integers (n >= 1), row-major, not zero-filled. Returns
// nullptr when the block cannot be allocated or its byte count is larger
// than any object may be.
int* alloc_block(std::int64_t n);

// Replaces every negative element by its negation (the smallest integer has
// none and stays as it is) and finds the first largest element in row-major
// order.
largest_element abs_and_max(int* mas, std::int64_t n);

// Moves rows x+1..n-1 of the n×n block one row up; row n-1 is left over.
void remove_row(int* mas, std::int64_t n, std::int64_t x);

// Compacts the first n-1 rows of the n×n block (stride n) into the
// (n-1)×(n-1) matrix without column p (stride n-1), in place.
void remove_column(int* mas, std::int64_t n, std::int64_t p);

// Shrinks the block to n×n integers (the new, smaller n) and returns it.
// When there is nothing to keep, or the system cannot shrink it, the block
// is returned as it was, still to be freed once by the caller.
int* shrink(int* mas, std::int64_t n);

// The whole dialogue: one matrix, one result.
int run(con::console& c);

} // namespace maxcut
