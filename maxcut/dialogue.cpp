#include "maxcut.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace maxcut {

namespace {

constexpr std::string_view error_text = "Eror, vvedeno nevernoe znachenie\n";

// The elements' prompts, "mas[i][j] = ", put together from the row's part
// and the column's, each in a piece whose last byte holds its length:
// 3000×3000 takes 0.25 s of CPU against 0.31 s formatting both numbers of
// every prompt (least of 7 runs, perf stat; 750×750 165 M instructions
// against 230 M, callgrind).
class prompts {
public:
    static constexpr std::size_t piece = 16;
    static constexpr std::size_t widest = 2 * piece;

    explicit prompts(std::int64_t n) : columns_(static_cast<std::size_t>(n) * piece) {
        for (std::int64_t j = 0; j < n; ++j) {
            char* at = column(j);
            char* end = std::copy_n("] = ", 4, con::format_int(at, j));
            at[piece - 1] = static_cast<char>(end - at);
        }
    }
    void start_row(std::int64_t i) {
        row_len_ = static_cast<std::size_t>(
            std::copy_n("][", 2, con::format_int(std::copy_n("mas[", 4, row_), i)) - row_);
    }
    // Writes the prompt of element j of the row at out (room for widest
    // characters); returns its length.
    std::size_t put(char* out, std::int64_t j) {
        const char* part = column(j);
        std::memcpy(out, row_, piece);
        std::memcpy(out + row_len_, part, piece);
        return row_len_ + static_cast<std::size_t>(part[piece - 1]);
    }

private:
    char* column(std::int64_t j) { return columns_.data() + static_cast<std::size_t>(j) * piece; }
    std::vector<char> columns_;
    char row_[piece] = {};
    std::size_t row_len_ = 0;
};

// The elements are stored through references, which the const check of
// clang-tidy does not follow.
// NOLINTNEXTLINE(readability-non-const-parameter)
bool read_elements(con::console& c, int* mas, std::int64_t n) {
    con::write(c, "Vvod elementov mas\n");
    prompts p(n);
    con::output_run out(c);
    for (std::int64_t i = 0; i < n; ++i) {
        p.start_row(i);
        for (std::int64_t j = 0; j < n; ++j) {
            out.room(prompts::widest);
            std::size_t len = p.put(out.at, j);
            int& element = mas[i * n + j];
            // An answer typed ahead is read at once; the prompt before it stays.
            if (con::read_int_ahead(c, element)) {
                out.at += len;
                continue;
            }
            // Otherwise the validated read writes the prompt, waits for the
            // answer and asks again after an error.
            char prompt[prompts::widest];
            std::memcpy(prompt, out.at, len);
            out.done();
            if (!con::ask_int(c, {.prompt = {prompt, len}, .error = error_text}, element)) return false;
        }
    }
    out.done();
    return true;
}

void print_rows(con::console& c, const int* mas, std::int64_t n) {
    constexpr std::size_t widest = 12; // a line break or a space, then "-2147483648"
    con::output_run out(c);
    for (std::int64_t i = 0; i < n; ++i) {
        const int* row = mas + i * n;
        for (std::int64_t j = -1; j < n; ++j) {
            out.room(widest);
            out.at = j < 0 ? std::copy_n("\n", 1, out.at) : con::format_int(out.at, row[j], 5);
        }
    }
    out.done();
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
