// The console: typed-line input, discard, integer and character reads, the
// key wait, buffered output and the Windows-1251 <-> UTF-8 conversion.
//
// Input is a sequence of typed lines. A read takes characters from the
// current line only; when that is used up, the console flushes standard
// output and takes the next line, exactly as a person typing one line after
// another would be seen, whatever the input really is (terminal, pipe, file
// or a string in memory).
//
// End of input: a read that needs a character when none is left reports
// end_of_input (-1) and marks the console ended. From then on every read
// reports end_of_input again and nothing more is written, so a dialogue only
// has to release what it holds and return.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace con {

inline constexpr int end_of_input = -1;

struct console {
    // Input source: a file descriptor, or a string when mem_input is set.
    int in_fd = 0;
    bool in_memory = false;
    bool in_tty = false;
    bool in_exhausted = false; // the source has nothing more to give
    std::vector<char> inbuf;   // raw bytes read from the source
    std::size_t inbuf_begin = 0;
    std::size_t inbuf_end = 0;

    // The current line: [line, line + line_len), read position pos.
    const char* line = nullptr;
    std::size_t line_len = 0;
    std::size_t pos = 0;
    std::string converted;       // holds the current line when input is converted
    const char* typed = nullptr; // the current line as it came in
    std::size_t typed_len = 0;
    bool ended = false;

    // Output: to out_fd, or appended to *out_str.
    int out_fd = 1;
    std::string* out_str = nullptr;
    std::string outbuf;

    // Windows-1251 texts shown on a UTF-8 console.
    bool convert_cp1251 = false;
};

// Connects the console to standard input and output.
void open_stdio(console& c);
// Connects the console to a string of typed input; output is appended to out.
void open_memory(console& c, std::string_view input, std::string& out);
// Flushes what is still buffered. Call once at the end of a run.
void close(console& c);
// A program's main: runs its dialogue on standard input and output.
int run_stdio(int (*run)(console&));

// Output. Nothing is written once input has ended.
void write(console& c, std::string_view text);
void put_char(console& c, char ch);
// Writes value right-aligned in width columns, as printf("%*d") does.
void put_int(console& c, std::int32_t value, int width = 0);
// printf-style formatting into the output buffer.
void print(console& c, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Writes the buffered output to its destination.
void flush(console& c);

// Reads one character of the current line (0..255), waiting for a new
// line when it is used up; end_of_input at the end of input.
int read_char(console& c);
// Reads a typed line up to its line break, which is taken but not stored.
// Returns false at end of input (when not even a line end was left).
// as_typed: the bytes as they came in, before any Windows-1251 conversion
// (a file name is opened as the person typed it).
bool read_line(console& c, std::string& text, bool as_typed = false);
// Reads an integer as scanf("%d") does (width > 0: as "%<width>d"):
// 1 when a number was stored in value, 0 when nothing converted,
// end_of_input when input ended first. Out-of-range numbers wrap modulo 2^32.
int read_int(console& c, std::int32_t& value, int width = 0);
// Drops the rest of the current line with its line break. Never waits.
void discard(console& c);
// On a terminal: waits for one key press without echo and takes that key
// only (a key that sends several bytes counts as one); what is typed after
// it stays for the next reads. Otherwise returns at once. The current line
// is left as it is.
void wait_key(console& c);
// True once a read has met the end of input.
inline bool ended(const console& c) { return c.ended; }

// The code-page switch of the Windows-1251 programs: from now on output is
// converted from Windows-1251 and typed lines to Windows-1251 when the
// locale's character set is UTF-8; otherwise bytes pass through unchanged.
void use_cp1251(console& c);

// Conversions used by the console, exposed for tests.
std::string cp1251_to_utf8(std::string_view bytes);
std::string utf8_to_cp1251(std::string_view text);
// True when the locale from the environment uses UTF-8.
bool locale_is_utf8();

// Windows-1251 texts written readably in the source: "Ошибка!\n"_cp is the
// Windows-1251 form of that UTF-8 literal, converted at compile time, as a
// string_view whose data() is also zero-terminated. A character that
// Windows-1251 lacks does not compile.
namespace detail {

constexpr int cp1251_high[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, -1,     0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// Unicode code point of a Windows-1251 byte; -1 for the one unassigned byte.
constexpr int cp1251_to_unicode(unsigned char b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return 0x0410 + (b - 0xC0);
    return cp1251_high[b - 0x80];
}

// Windows-1251 byte of a code point; -1 when there is none.
constexpr int unicode_to_cp1251(std::uint32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(0xC0 + (cp - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (cp1251_high[i] >= 0 && static_cast<std::uint32_t>(cp1251_high[i]) == cp) return 0x80 + i;
    return -1;
}

template <std::size_t N> struct utf8_literal {
    char text[N]{};
    constexpr utf8_literal(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) text[i] = s[i];
    }
};

template <std::size_t N> struct cp1251_text {
    char bytes[N]{};
    std::size_t size = 0;
};

template <utf8_literal S> constexpr auto to_cp1251() {
    constexpr std::size_t n = sizeof(S.text);
    cp1251_text<n> out{};
    std::size_t i = 0;
    while (i + 1 < n) {
        auto b = static_cast<unsigned char>(S.text[i]);
        std::uint32_t cp = 0;
        int extra = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1Fu;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0Fu;
            extra = 2;
        } else {
            throw "not a Windows-1251 character";
        }
        for (int k = 1; k <= extra; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(S.text[i + static_cast<std::size_t>(k)]) & 0x3Fu);
        int byte = unicode_to_cp1251(cp);
        if (byte < 0) throw "not a Windows-1251 character";
        out.bytes[out.size++] = static_cast<char>(byte);
        i += 1 + static_cast<std::size_t>(extra);
    }
    return out;
}

template <utf8_literal S> inline constexpr auto cp1251_storage = to_cp1251<S>();

} // namespace detail

template <detail::utf8_literal S> constexpr std::string_view operator""_cp() {
    return {detail::cp1251_storage<S>.bytes, detail::cp1251_storage<S>.size};
}

} // namespace con
