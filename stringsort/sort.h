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

// Puts the n entries of lines in ascending order of their keys (compare_keys).
// Lines of equal keys end in the order of an exchange sort that, for each
// entry i from the last to the first, exchanges it with every later entry k,
// taken from the last down, whose key is smaller than the one now in entry i;
// tests/stringsort/sort_test.cpp runs that sort as the reference.
void sort_alpha(char** lines, int n);
// Adds every integer written in line i to its sum, modulo 2^32.
void sum_line(char** lines, std::int32_t** sums, int i);
// Puts both tables in ascending order of the sums, each line with its sum.
// Lines of equal sums end in the order of an exchange sort that, for each
// entry i from the last to the first, exchanges it with every earlier entry j,
// taken from the first up, whose sum is larger than the one now in entry i;
// tests/stringsort/sort_test.cpp runs that sort as the reference.
void sort_by_sums(char** lines, std::int32_t** sums, int n);

} // namespace stringsort
