#include "studentdb.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace studentdb {

namespace {

// The key's rank when its byte is compared as a signed 8-bit value:
// 0x80..0xFF (negative) first, then 0x00..0x7F.
inline unsigned rank(char key) { return static_cast<unsigned char>(key) ^ 0x80u; }

// A stable order by one key byte: the same result as exchanging
// neighbours whose keys are out of order, in linear time.
void sort_by_first_byte(student* a, std::int32_t num_d, std::size_t key_offset) {
    if (num_d <= 1) return;
    auto n = static_cast<std::size_t>(num_d);
    auto key = [key_offset](const student& s) { return reinterpret_cast<const char*>(&s)[key_offset]; };
    auto* sorted = static_cast<student*>(std::malloc(n * sizeof(student)));
    if (sorted == nullptr) {
        // Without room for a copy the standard stable sort still gives the
        // same order, merging in place.
        std::stable_sort(a, a + n,
                         [&](const student& l, const student& r) { return rank(key(l)) < rank(key(r)); });
        return;
    }
    std::size_t start[257] = {};
    for (std::size_t i = 0; i < n; ++i) ++start[rank(key(a[i])) + 1];
    for (std::size_t r = 1; r < 257; ++r) start[r] += start[r - 1];
    for (std::size_t i = 0; i < n; ++i) sorted[start[rank(key(a[i]))]++] = a[i];
    std::memcpy(a, sorted, n * sizeof(student));
    std::free(sorted);
}

} // namespace

void sort_by_name(student* a, std::int32_t num_d) { sort_by_first_byte(a, num_d, offsetof(student, name)); }

void sort_by_street(student* a, std::int32_t num_d) {
    sort_by_first_byte(a, num_d, offsetof(student, street));
}

} // namespace studentdb
