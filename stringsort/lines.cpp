#include "lines.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace stringsort {

namespace {

// Frees the first `buffers` line buffers and the first `cells` sum cells.
void release_partial(char** lines, int buffers, std::int32_t** sums, int cells) {
    for (int i = 0; i < cells; ++i) std::free(sums[i]);
    std::free(sums);
    for (int i = 0; i < buffers; ++i) std::free(lines[i]);
    std::free(lines);
}

} // namespace

bool allocate_tables(char**& lines, std::int32_t**& sums, int n, int m) {
    lines = nullptr;
    sums = nullptr;
    if (n < 0) return false;
    if (n == 0) return true; // malloc(0) may give null, which is no failure here
    if (m <= 0) return false;
    const auto count = static_cast<std::size_t>(n);
    lines = static_cast<char**>(std::malloc(count * sizeof(char*)));
    if (lines == nullptr) return false;
    for (int i = 0; i < n; ++i) {
        lines[i] = static_cast<char*>(std::malloc(static_cast<std::size_t>(m)));
        if (lines[i] == nullptr) {
            release_partial(lines, i, nullptr, 0);
            lines = nullptr;
            return false;
        }
    }
    sums = static_cast<std::int32_t**>(std::malloc(count * sizeof(std::int32_t*)));
    if (sums == nullptr) {
        release_partial(lines, n, nullptr, 0);
        lines = nullptr;
        return false;
    }
    for (int i = 0; i < n; ++i) {
        sums[i] = static_cast<std::int32_t*>(std::malloc(sizeof(std::int32_t)));
        if (sums[i] == nullptr) {
            release_partial(lines, n, sums, i);
            lines = nullptr;
            sums = nullptr;
            return false;
        }
        *sums[i] = 0;
    }
    return true;
}

void release_tables(char** lines, std::int32_t** sums, int n) {
    if (lines == nullptr) return;
    release_partial(lines, n, sums, n);
}

bool read_line(con::console& c, char** lines, int i, int m) {
    con::write(c, "Vvedite ");
    con::put_int(c, i + 1);
    con::write(c, " stroky:\n");
    con::discard(c);
    char* line = lines[i];
    int pos = 0;
    int budget = m;
    for (;;) {
        --budget;
        if (budget < 0) break;
        int ch = con::read_char(c);
        if (ch == con::end_of_input) return false;
        line[pos++] = static_cast<char>(ch);
        if (ch == '\n') break;
    }
    // The zero replaces the last character taken: the line break of a short
    // line, or the m-th character of a long one.
    line[pos - 1] = '\0';
    return true;
}

void print_lines(con::console& c, char** lines, int n) {
    for (int i = 0; i < n; ++i) {
        con::write(c, "\n stroka: ");
        con::write(c, std::string_view(lines[i], std::strlen(lines[i])));
    }
}

} // namespace stringsort
