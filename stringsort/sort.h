// The two sort orders and the summing of a line.
#pragma once

#include <cstdint>

namespace stringsort {

// The start of a line's key: its first capital Latin letter, or the line's end
// when it has none.
const char* find_key(const char* line);
// Compares two keys character by character as signed bytes, the end of a key
// counting as 0: negative, zero or positive as a is less than, equal to or
// greater than b.
int compare_keys(const char* a, const char* b);

// Puts the n entries of lines in ascending order of their keys, in exactly
// the order the exchange sort of the dialogue gives, equal keys included.
void sort_alpha(char** lines, int n);
// Adds every integer written in line i to its sum, modulo 2^32.
void sum_line(char** lines, std::int32_t** sums, int i);
// Puts both tables in ascending order of the sums, each line with its sum, in
// exactly the order the exchange sort of the dialogue gives.
void sort_by_sums(char** lines, std::int32_t** sums, int n);

} // namespace stringsort
