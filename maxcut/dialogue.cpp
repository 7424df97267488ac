#include "maxcut.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace maxcut {

namespace {

constexpr std::string_view error_text = "Eror, vvedeno nevernoe znachenie\n";

// The dialogue's text for a matrix of millions of elements is put together
// in a block of its own and handed to the console whole.
struct text_block {
    // The text is written before it is read; filling it first would cost
    // a pass over the block for every use.
    // cppcheck-suppress uninitMemberVar
    explicit text_block(con::console& console) : c(console) {}
    con::console& c;
    std::size_t used = 0;
    char text[std::size_t{64} * 1024];
};

constexpr std::size_t widest_piece = 64;

// Room for one piece of at most widest_piece characters.
char* room(text_block& t) {
    if (sizeof t.text - t.used < widest_piece) {
        con::write(t.c, std::string_view(t.text, t.used));
        t.used = 0;
    }
    return t.text + t.used;
}

void put(text_block& t, const char* end) { t.used = static_cast<std::size_t>(end - t.text); }

void write_out(text_block& t) {
    con::write(t.c, std::string_view(t.text, t.used));
    t.used = 0;
}

bool is_space(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

// Reads elements straight from the typed lines already in memory, as the
// validated read would read them: blanks and line breaks skipped, a sign,
// digits, wrapping modulo 2^32. Where that read would wait for input or
// fail, read_ahead says no, with nothing taken but blanks, and the
// validated read does it, with its error text. What is read here is taken
// from the console with take_typed before the console is used again.
struct typed_reader {
    con::console& c;
    const char* start = nullptr; // the view of the current line
    const char* at = nullptr;    // read up to here
    const char* end = nullptr;
};

void give_back(typed_reader& r) {
    con::take_typed(r.c, static_cast<std::size_t>(r.at - r.start));
    r.start = r.at;
}

bool next_view(typed_reader& r) {
    give_back(r);
    std::string_view line = con::typed_ahead(r.c);
    r.start = line.data();
    r.at = r.start;
    r.end = r.start + line.size();
    return !line.empty();
}

// A word loaded from memory as the bytes' order in memory has it: the
// first byte lowest, on every processor. Swapping back is the same swap.
std::uint64_t as_little_endian(std::uint64_t w) {
    if constexpr (std::endian::native == std::endian::big) return __builtin_bswap64(w);
    return w;
}

// Eight typed characters at once, the first in the lowest byte, each less
// '0': a digit becomes its value. Numbers are read a word at a time rather
// than a character at a time.
std::uint64_t load_less_zeros(const char* p) {
    std::uint64_t w = 0;
    std::memcpy(&w, p, 8);
    w = as_little_endian(w);
    return w ^ 0x3030303030303030;
}

// How many of the 8 characters at p are digits before the first that is not.
std::size_t leading_digits(const char* p) {
    std::uint64_t x = load_less_zeros(p);
    // A byte's top bit is set where the byte is not 0..9: 0x76 added to its
    // low seven bits carries into the top bit from 10 on, and a byte with
    // its top bit set is no digit either; no sum carries into the next byte.
    std::uint64_t not_digit = (((x & 0x7f7f7f7f7f7f7f7f) + 0x7676767676767676) | x) & 0x8080808080808080;
    return static_cast<std::size_t>(std::countr_zero(not_digit)) / 8;
}

// The value of the count (0..7) digits at p: the digits are moved to the
// top of the word, behind zeros, and pairs, fours and eights are joined.
std::uint32_t digits_value(const char* p, std::size_t count) {
    if (count == 0) return 0; // a shift by the word's whole width is undefined
    std::uint64_t x = load_less_zeros(p) << (8 * (8 - count));
    x = (x * 10 + (x >> 8)) & 0x00ff00ff00ff00ff;
    x = (x * 100 + (x >> 16)) & 0x0000ffff0000ffff;
    x = (x * 10000 + (x >> 32)) & 0xffffffff;
    return static_cast<std::uint32_t>(x);
}

bool read_ahead(typed_reader& r, int& value) {
    for (;;) {
        while (r.at != r.end && is_space(*r.at)) ++r.at;
        if (r.at != r.end) break;
        if (!next_view(r)) return false;
    }
    const char* p = r.at;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const char* first_digit = p;
    std::uint32_t magnitude = 0;
    if (std::size_t digits = 0; r.end - p >= 8 && (digits = leading_digits(p)) < 8) {
        magnitude = digits_value(p, digits);
        p += digits;
    } else {
        for (; p != r.end && *p >= '0' && *p <= '9'; ++p)
            magnitude = magnitude * 10u + static_cast<std::uint32_t>(*p - '0');
    }
    if (p == first_digit) return false;
    r.at = p;
    value = static_cast<int>(negative ? 0u - magnitude : magnitude);
    return true;
}

// The elements are stored through references, which the const check of
// clang-tidy does not follow.
// NOLINTNEXTLINE(readability-non-const-parameter)
bool read_elements(con::console& c, int* mas, std::int64_t n) {
    con::write(c, "Vvod elementov mas\n");
    text_block t{c};
    typed_reader r{c};
    // "] = " after every column number, ready to be copied.
    constexpr std::size_t piece = 16;
    std::vector<char> columns(static_cast<std::size_t>(n) * piece);
    std::vector<unsigned char> column_len(static_cast<std::size_t>(n));
    for (std::int64_t j = 0; j < n; ++j) {
        char* at = columns.data() + j * static_cast<std::int64_t>(piece);
        char* end = std::copy_n("] = ", 4, con::format_int(at, j));
        column_len[static_cast<std::size_t>(j)] = static_cast<unsigned char>(end - at);
    }
    char row[piece] = {};
    for (std::int64_t i = 0; i < n; ++i) {
        char* row_end = std::copy_n("][", 2, con::format_int(std::copy_n("mas[", 4, row), i));
        auto row_len = static_cast<std::size_t>(row_end - row);
        for (std::int64_t j = 0; j < n; ++j) {
            char* out = room(t);
            std::memcpy(out, row, piece);
            std::memcpy(out + row_len, columns.data() + j * static_cast<std::int64_t>(piece), piece);
            std::size_t len = row_len + column_len[static_cast<std::size_t>(j)];
            int& element = mas[i * n + j];
            if (read_ahead(r, element)) {
                // The prompt stays: the answer was typed ahead and is read.
                t.used += len;
                continue;
            }
            // The prompt goes out with the validated read, which may wait
            // for the answer, print the error text and ask again.
            give_back(r);
            write_out(t);
            std::string_view text(out, len);
            if (!con::ask_int(c, {.prompt = text, .error = error_text}, element)) return false;
            r.start = r.at = r.end = nullptr;
        }
    }
    give_back(r);
    write_out(t);
    return true;
}

// "0000" to "9999": values are written four digits at a time.
constexpr auto four_digits = [] {
    std::array<char, 40000> digits{};
    for (std::size_t i = 0; i < 10000; ++i) {
        digits[4 * i] = static_cast<char>('0' + i / 1000);
        digits[4 * i + 1] = static_cast<char>('0' + i / 100 % 10);
        digits[4 * i + 2] = static_cast<char>('0' + i / 10 % 10);
        digits[4 * i + 3] = static_cast<char>('0' + i % 10);
    }
    return digits;
}();

// value as "%5d" writes it. Values below 10^8 in magnitude take two looks
// into the table; the rest the console's formatting.
char* format_element(char* out, int value) {
    std::uint32_t v = value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    if (v >= 100000000) return con::format_int(out, value, 5);
    // Sixteen spaces, then the eight digits of v with its leading zeros
    // turned into spaces and the sign before the first digit: the text is
    // its last len characters.
    // 16 more after the digits: the copy out is always 16 characters long.
    char text[40];
    std::memset(text, ' ', sizeof text);
    std::memcpy(text + 16, &four_digits[static_cast<std::size_t>(v / 10000) * 4], 4);
    std::memcpy(text + 20, &four_digits[static_cast<std::size_t>(v % 10000) * 4], 4);
    std::uint64_t digits = 0;
    std::memcpy(&digits, text + 16, 8);
    digits = as_little_endian(digits);
    // A leading '0' is a zero byte once '0' is taken away; one digit stays.
    auto zeros = static_cast<unsigned>(std::countr_zero(digits ^ 0x3030303030303030)) / 8;
    unsigned count = 8 - (zeros < 7 ? zeros : 7);
    std::uint64_t leading = (std::uint64_t{1} << (8 * (8 - count))) - 1;
    digits = (digits & ~leading) | (0x2020202020202020 & leading);
    digits = as_little_endian(digits);
    std::memcpy(text + 16, &digits, 8);
    std::size_t len = count;
    if (value < 0) {
        text[23 - count] = '-';
        ++len;
    }
    if (len < 5) len = 5;
    std::memcpy(out, text + 24 - len, 16);
    return out + len;
}

void print_rows(con::console& c, const int* mas, std::int64_t n) {
    text_block t{c};
    for (std::int64_t i = 0; i < n; ++i) {
        *room(t) = '\n';
        ++t.used;
        const int* row = mas + i * n;
        // A value takes at most 11 characters ("-2147483648").
        for (std::int64_t j = 0; j < n; ++j) put(t, format_element(room(t), row[j]));
    }
    write_out(t);
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
