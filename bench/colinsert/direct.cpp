// The insertion as the dialogue describes it, for timing against colinsert on
// the same typed input (size, matrix, column, position): every row is
// enlarged by realloc, then the columns after the position are shifted one
// column at a time, each through every row. Prints the listings and result.
#include <cstdio>
#include <cstdlib>

int main() {
    int n = 0;
    if (std::scanf("%d", &n) != 1 || n < 1) return 1;
    auto** mas = static_cast<int**>(std::calloc(static_cast<std::size_t>(n), sizeof(int*)));
    for (int i = 0; i < n; ++i)
        mas[i] = static_cast<int*>(std::calloc(static_cast<std::size_t>(n), sizeof(int)));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (std::scanf("%d", &mas[i][j]) != 1) return 1;
    std::printf("Vvedennaya matrica:");
    for (int i = 0; i < n; ++i) {
        std::printf("\n");
        for (int j = 0; j < n; ++j) std::printf("%3d", mas[i][j]);
    }
    auto* stolbec = static_cast<int*>(std::calloc(static_cast<std::size_t>(n), sizeof(int)));
    for (int j = 0; j < n; ++j)
        if (std::scanf("%d", &stolbec[j]) != 1) return 1;
    std::printf("\nVash stolbec:\n");
    for (int j = 0; j < n; ++j) std::printf("%d\n", stolbec[j]);
    for (int i = 0; i < n; ++i)
        mas[i] = static_cast<int*>(std::realloc(mas[i], sizeof(int) * static_cast<std::size_t>(n + 1)));
    int k = 0;
    if (std::scanf("%d", &k) != 1 || k < 0 || k > n) return 1;
    for (int j = n; j > k; --j)
        for (int i = 0; i < n; ++i) mas[i][j] = mas[i][j - 1];
    for (int i = 0; i < n; ++i) mas[i][k] = stolbec[i];
    std::printf("Rezultat:\n");
    for (int i = 0; i < n; ++i) {
        std::printf("\n");
        for (int j = 0; j <= n; ++j) std::printf("%3d", mas[i][j]);
    }
    for (int i = 0; i < n; ++i) std::free(mas[i]);
    std::free(mas);
    std::free(stolbec);
    return 0;
}
