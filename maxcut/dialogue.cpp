#include "maxcut.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

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

// "00" to "99": numbers are written two digits at a time.
constexpr auto digit_pairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * static_cast<std::size_t>(i)] = static_cast<char>('0' + i / 10);
        pairs[2 * static_cast<std::size_t>(i) + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// Writes value at out as printf("%*d") does and returns the end. A large
// matrix prints millions of numbers and prompts, so each piece is put
// together here and handed to the console whole.
char* format_int(char* out, std::int64_t value, int width = 0) {
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    int len = value < 0 ? 2 : 1;
    for (std::uint64_t limit = 10; magnitude >= limit && len < 20; limit *= 10) ++len;
    for (int pad = width - len; pad > 0; --pad) *out++ = ' ';
    char* const end = out + len;
    char* p = end;
    while (magnitude >= 10) {
        p -= 2;
        std::memcpy(p, &digit_pairs[magnitude % 100 * 2], 2);
        magnitude /= 100;
    }
    if (p == end || magnitude != 0) *--p = static_cast<char>('0' + magnitude);
    if (value < 0) *--p = '-';
    return end;
}

bool read_elements(con::console& c, int* mas, std::int64_t n) {
    con::write(c, "Vvod elementov mas\n");
    char prompt[64];
    for (std::int64_t i = 0; i < n; ++i) {
        char* row_end = format_int(std::copy_n("mas[", 4, prompt), i);
        row_end = std::copy_n("][", 2, row_end);
        for (std::int64_t j = 0; j < n; ++j) {
            char* end = std::copy_n("] = ", 4, format_int(row_end, j));
            std::string_view text(prompt, static_cast<std::size_t>(end - prompt));
            for (;;) {
                con::write(c, text);
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
    // A value takes at most 11 characters ("-2147483648").
    std::vector<char> text(static_cast<std::size_t>(n) * 11 + 1);
    for (std::int64_t i = 0; i < n; ++i) {
        char* out = text.data();
        *out++ = '\n';
        const int* row = mas + i * n;
        for (std::int64_t j = 0; j < n; ++j) out = format_int(out, row[j], 5);
        con::write(c, std::string_view(text.data(), static_cast<std::size_t>(out - text.data())));
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
