// The two exchange sorts run step by step as the dialogue describes them, on
// the same typed input as stringsort, for timing against it. Prints only the
// final listing; lines are taken whole (the generator keeps them short).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

const char* key_of(const char* line) {
    while (*line != '\0' && !(*line >= 'A' && *line <= 'Z')) ++line;
    return line;
}

bool greater(const char* line_a, const char* line_b) {
    const char* a = key_of(line_a);
    const char* b = key_of(line_b);
    while (*a == *b && *a != '\0') {
        ++a;
        ++b;
    }
    return static_cast<signed char>(*a) > static_cast<signed char>(*b);
}

void sort_alpha(char** lines, int n) {
    for (int i = n - 1; i >= 0; --i)
        for (int k = n - 1; k > i; --k)
            if (greater(lines[i], lines[k])) std::swap(lines[i], lines[k]);
}

void sum_line(char** lines, std::int32_t** sums, int i) {
    const char* p = lines[i];
    std::uint32_t sum = 0;
    for (;;) {
        while (*p == ' ') ++p;
        if (*p == '\0') break;
        bool negative = *p == '-';
        if (*p == '+' || *p == '-') ++p;
        while (*p != '\0' && !(*p >= '0' && *p <= '9')) ++p;
        if (*p == '\0') break;
        std::uint32_t number = 0;
        for (; *p >= '0' && *p <= '9'; ++p) number = number * 10u + static_cast<std::uint32_t>(*p - '0');
        sum += negative ? 0u - number : number;
    }
    *sums[i] = static_cast<std::int32_t>(sum);
}

void sort_by_sums(char** lines, std::int32_t** sums, int n) {
    for (int i = n - 1; i >= 0; --i)
        for (int j = 0; j < i; ++j)
            if (*sums[i] < *sums[j]) {
                std::swap(sums[i], sums[j]);
                std::swap(lines[i], lines[j]);
            }
}

} // namespace

int main() {
    int n = 0;
    int m = 0;
    if (std::scanf("%d %d", &n, &m) != 2 || n < 1 || m < 2) return 1;
    std::getchar();
    auto** lines = static_cast<char**>(std::malloc(sizeof(char*) * static_cast<std::size_t>(n)));
    auto** sums =
        static_cast<std::int32_t**>(std::malloc(sizeof(std::int32_t*) * static_cast<std::size_t>(n)));
    for (int i = 0; i < n; ++i) {
        lines[i] = static_cast<char*>(std::malloc(static_cast<std::size_t>(m) + 1));
        if (std::fgets(lines[i], m + 1, stdin) == nullptr) return 1;
        lines[i][std::strcspn(lines[i], "\n")] = '\0';
        sums[i] = static_cast<std::int32_t*>(std::malloc(sizeof(std::int32_t)));
        *sums[i] = 0;
    }
    if (std::getchar() == 'a') {
        sort_alpha(lines, n);
    } else {
        for (int i = 0; i < n; ++i) sum_line(lines, sums, i);
        sort_by_sums(lines, sums, n);
    }
    for (int i = 0; i < n; ++i) std::printf("\n stroka: %s", lines[i]);
    return 0;
}
