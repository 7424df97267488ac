#include "maxcut.h"

#include <cstdlib>
#include <string_view>

namespace maxcut {

namespace {

constexpr std::string_view error_text = "Eror, vvedeno nevernoe znachenie\n";

// The size, asked until it is a number of at least 1: a matrix with no
// element has no largest one to remove.
bool read_size(con::console& c, std::int64_t& n) {
    for (;;) {
        con::write(c, "Vvedite razmer mas = ");
        int value = 0;
        int result = con::read_int(c, value);
        if (result == con::end_of_input) return false;
        if (result == 1 && value >= 1) {
            n = value;
            return true;
        }
        con::write(c, error_text);
        con::discard(c);
    }
}

bool read_elements(con::console& c, int* mas, std::int64_t n) {
    con::write(c, "Vvod elementov mas\n");
    for (std::int64_t i = 0; i < n; ++i) {
        for (std::int64_t j = 0; j < n; ++j) {
            for (;;) {
                con::write(c, "mas[");
                con::put_int(c, static_cast<int>(i));
                con::write(c, "][");
                con::put_int(c, static_cast<int>(j));
                con::write(c, "] = ");
                int result = con::read_int(c, mas[i * n + j]);
                if (result == 1) break;
                if (result == con::end_of_input) return false;
                con::write(c, error_text);
                con::discard(c);
            }
        }
    }
    return true;
}

void print_rows(con::console& c, const int* mas, std::int64_t n) {
    for (std::int64_t i = 0; i < n; ++i) {
        con::put_char(c, '\n');
        const int* row = mas + i * n;
        for (std::int64_t j = 0; j < n; ++j) con::put_int(c, row[j], 5);
    }
}

} // namespace

int run(con::console& c) {
    std::int64_t n = 0;
    if (!read_size(c, n)) return 0;
    int* mas = alloc_matrix(n);
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

    max_place m = abs_and_max(mas, n);
    remove_row(mas, n, m.x);
    remove_column(mas, n, m.p);
    --n;
    mas = shrink(mas, n);

    con::write(c, "\nRezyltat:");
    print_rows(c, mas, n);
    std::free(mas);
    return 0;
}

} // namespace maxcut
