// The removal as the dialogue describes it, for timing against maxcut on the
// same typed input (size, matrix): rows after the largest element's row move
// up one at a time, then the column is taken out by moving every later entry
// of the block one place, entry by entry, once per row. Prints the listings.
#include <cstdio>
#include <cstdlib>

int main() {
    int n = 0;
    if (std::scanf("%d", &n) != 1 || n < 1) return 1;
    auto* mas = static_cast<int*>(
        std::malloc(sizeof(int) * static_cast<std::size_t>(n) * static_cast<std::size_t>(n)));
    if (mas == nullptr) return 1;
    for (long e = 0; e < static_cast<long>(n) * n; ++e)
        if (std::scanf("%d", &mas[e]) != 1) return 1;
    std::printf("Vvedenn mas:");
    for (int i = 0; i < n; ++i) {
        std::printf("\n");
        for (int j = 0; j < n; ++j) std::printf("%5d", mas[static_cast<long>(i) * n + j]);
    }
    int max = mas[0];
    int x = 0;
    int p = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            int& e = mas[static_cast<long>(i) * n + j];
            if (e < 0) e = static_cast<int>(0u - static_cast<unsigned>(e));
            if (e > max) {
                max = e;
                x = i;
                p = j;
            }
        }
    for (int r = x; r < n - 1; ++r)
        for (int j = 0; j < n; ++j) mas[static_cast<long>(r) * n + j] = mas[static_cast<long>(r + 1) * n + j];
    long live = static_cast<long>(n - 1) * n;
    for (int i = 0; i < n - 1; ++i) {
        for (long m = static_cast<long>(i) * n + p - i; m < live - 1; ++m) mas[m] = mas[m + 1];
        --live;
    }
    --n;
    mas = static_cast<int*>(std::realloc(mas, sizeof(int) * static_cast<std::size_t>(n > 0 ? n * n : 1)));
    std::printf("\nRezyltat:");
    for (int i = 0; i < n; ++i) {
        std::printf("\n");
        for (int j = 0; j < n; ++j) std::printf("%5d", mas[static_cast<long>(i) * n + j]);
    }
    std::free(mas);
    return 0;
}
