#include "maxcut.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace maxcut {

namespace {

constexpr std::string_view error_text = "Eror, vvedeno nevernoe znachenie\n";

bool read_elements(con::console& c, int* mas, std::int64_t n) {
    con::write(c, "Vvod elementov mas\n");
    char prompt[64];
    for (std::int64_t i = 0; i < n; ++i) {
        char* row_end = con::format_int(std::copy_n("mas[", 4, prompt), i);
        row_end = std::copy_n("][", 2, row_end);
        for (std::int64_t j = 0; j < n; ++j) {
            char* end = std::copy_n("] = ", 4, con::format_int(row_end, j));
            std::string_view text(prompt, static_cast<std::size_t>(end - prompt));
            if (!con::ask_int(c, {.prompt = text, .error = error_text}, mas[i * n + j])) return false;
        }
    }
    return true;
}

void print_rows(con::console& c, const int* mas, std::int64_t n) {
    // A value takes at most 11 characters ("-2147483648").
    std::vector<char> text(static_cast<std::size_t>(n) * 11 + 1);
    for (std::int64_t i = 0; i < n; ++i) {
        char* out = text.data();
        *out++ = '\n';
        const int* row = mas + i * n;
        for (std::int64_t j = 0; j < n; ++j) out = con::format_int(out, row[j], 5);
        con::write(c, std::string_view(text.data(), static_cast<std::size_t>(out - text.data())));
    }
}

} // namespace

int run(con::console& c) {
    // A matrix with no element has no largest one to remove: the size is
    // at least 1.
    std::int32_t size = 0;
    if (!con::ask_int(c, {.prompt = "Vvedite razmer mas = ", .error = error_text, .min = 1}, size)) return 0;
    std::int64_t n = size;
    int* mas = alloc_block(n);
    if (mas == nullptr) {
        con::write(c, "net svobodnoy pamjati");
        return 0;
    }
    if (!read_elements(c, mas, n)) {
        std::free(mas);
        return 0;
    }
    con::write(c, "Vvedenn mas:");
    print_rows(c, mas, n);

    largest_element largest = abs_and_max(mas, n);
    remove_row(mas, n, largest.row);
    remove_column(mas, n, largest.column);
    --n;
    mas = shrink(mas, n);

    con::write(c, "\nRezyltat:");
    print_rows(c, mas, n);
    std::free(mas);
    return 0;
}

} // namespace maxcut
