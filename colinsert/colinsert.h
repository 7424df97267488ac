// colinsert: a square matrix, a column, and the column inserted at a chosen
// position. The dialogue and the matrix routines it is built from.
#pragma once

#include "console.h"

#include <cstddef>

namespace colinsert {

// n rows of n zero-filled integers, each row its own block, reached through
// an array of n row pointers (n >= 1). Returns nullptr, with nothing left
// allocated, when any of the blocks cannot be had.
int** alloc_rows(int n);

// The column to insert: n zero-filled integers (n >= 1); nullptr when the
// block cannot be had.
int* alloc_column(int n);

// Resizes every row of mas to cols integers; the values already there stay,
// the new slots are left for the insertion to fill. Returns false when a row
// cannot be resized: every row pointer in mas is still valid then (rows
// before the failed one at the new size, the rest at their old size), so
// the matrix can be released as usual.
bool enlarge_rows(int** mas, int n, std::size_t cols);

// Inserts stolbec as column k (0 <= k <= n) of rows that hold n values and
// have room for one more: columns k..n-1 move one place to the right.
void insert_column(int** mas, int n, const int* stolbec, int k);

// Releases a pass's memory: the column, rows 0..n-1, then the row array.
// Null pointers are skipped.
void free_pass(int* stolbec, int** mas, int n);

// The whole dialogue, pass after pass until the answer is not Y.
int run(con::console& c);

} // namespace colinsert
