#include "colinsert.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace colinsert {

namespace {

std::size_t as_size(int n) { return static_cast<std::size_t>(n); }

} // namespace

int** alloc_rows(int n) {
    auto** mas = static_cast<int**>(std::calloc(as_size(n), sizeof(int*)));
    if (mas == nullptr) return nullptr;
    for (int i = 0; i < n; ++i) {
        mas[i] = static_cast<int*>(std::calloc(as_size(n), sizeof(int)));
        if (mas[i] == nullptr) {
            free_pass(nullptr, mas, i);
            return nullptr;
        }
    }
    return mas;
}

int* alloc_column(int n) { return static_cast<int*>(std::calloc(as_size(n), sizeof(int))); }

bool enlarge_rows(int** mas, int n, std::size_t cols) {
    // realloc takes a byte count; a column count whose bytes overflow it
    // would quietly give a smaller row.
    if (cols > static_cast<std::size_t>(PTRDIFF_MAX) / sizeof(int)) return false;
    for (int i = 0; i < n; ++i) {
        void* row = std::realloc(mas[i], cols * sizeof(int));
        if (row == nullptr) return false;
        mas[i] = static_cast<int*>(row);
    }
    return true;
}

void insert_column(int** mas, int n, const int* stolbec, int k) {
    // Moving each row's tail in one piece puts every value where the
    // column-by-column shift from the right end would.
    std::size_t tail = as_size(n - k);
    for (int i = 0; i < n; ++i) {
        int* row = mas[i];
        std::memmove(row + k + 1, row + k, tail * sizeof(int));
        row[k] = stolbec[i];
    }
}

void free_pass(int* stolbec, int** mas, int n) {
    std::free(stolbec);
    if (mas == nullptr) return;
    for (int i = 0; i < n; ++i) std::free(mas[i]);
    std::free(mas);
}

} // namespace colinsert
