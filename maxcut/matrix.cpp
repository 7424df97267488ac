#include "maxcut.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace maxcut {

namespace {

std::size_t as_size(std::int64_t n) { return static_cast<std::size_t>(n); }

} // namespace

int* alloc_block(std::int64_t n) {
    // n fits 31 bits, so n×n fits 62 and the comparison below is exact; a
    // byte count over the largest object size must be refused before malloc
    // rather than wrap into a smaller block.
    auto elements = static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(n);
    if (n < 1 || n > INT32_MAX || elements > static_cast<std::uint64_t>(PTRDIFF_MAX) / sizeof(int))
        return nullptr;
    auto bytes = static_cast<std::size_t>(elements) * sizeof(int);
    return static_cast<int*>(std::malloc(bytes));
}

largest_element abs_and_max(int* mas, std::int64_t n) {
    largest_element largest{mas[0], 0, 0};
    for (std::int64_t i = 0; i < n; ++i) {
        int* row = mas + i * n;
        for (std::int64_t j = 0; j < n; ++j) {
            // Negated in unsigned arithmetic: the smallest integer wraps to
            // itself instead of overflowing. Without a branch, which signs
            // at random would send the wrong way half the time.
            auto u = static_cast<std::uint32_t>(row[j]);
            std::uint32_t negative = 0u - (u >> 31);
            row[j] = static_cast<int>((u ^ negative) - negative);
            if (row[j] > largest.value) largest = {row[j], i, j};
        }
    }
    return largest;
}

void remove_row(int* mas, std::int64_t n, std::int64_t x) {
    if (x >= n - 1) return;
    std::memmove(mas + x * n, mas + (x + 1) * n, as_size((n - 1 - x) * n) * sizeof(int));
}

void remove_column(int* mas, std::int64_t n, std::int64_t p) {
    // Every value moves toward the start by the number of removed entries
    // before it, so a single forward pass never overwrites a value it has
    // still to move.
    int* out = mas;
    for (std::int64_t i = 0; i + 1 < n; ++i) {
        const int* row = mas + i * n;
        std::memmove(out, row, as_size(p) * sizeof(int));
        out += p;
        std::memmove(out, row + p + 1, as_size(n - 1 - p) * sizeof(int));
        out += n - 1 - p;
    }
}

int* shrink(int* mas, std::int64_t n) {
    // realloc to zero bytes may free the block or not; keeping it leaves one
    // owner and one release.
    if (n < 1) return mas;
    void* smaller = std::realloc(mas, as_size(n * n) * sizeof(int));
    return smaller != nullptr ? static_cast<int*>(smaller) : mas;
}

} // namespace maxcut
