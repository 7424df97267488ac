// Windows-1251 text: the conversion to and from UTF-8 for a UTF-8 console,
// and Windows-1251 literals written readably in the source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace con {

std::string cp1251_to_utf8(std::string_view bytes);
// Appends the UTF-8 form of Windows-1251 bytes to out.
void append_as_utf8(std::string& out, std::string_view bytes);
// A character that Windows-1251 lacks becomes '?', and so does every
// maximal invalid subpart of the UTF-8 (so "\xE0\x80" gives "??").
std::string utf8_to_cp1251(std::string_view text);
// Writes the UTF-8 form of the code point cp (at most U+10FFFF, 1 to 4
// bytes) at out; returns the end of what it wrote.
char* put_utf8(char* out, std::uint32_t cp);
// The length of the valid UTF-8 sequence at the start of text (1 to 4), or
// 0 when text does not start with one.
std::size_t utf8_sequence(std::string_view text);
// Whether text is the beginning of a valid UTF-8 sequence that its end cuts
// short, which the next bytes may complete.
bool utf8_cut_short(std::string_view text);

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
