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

inline constexpr long invalid = -1;
inline constexpr long cut_short = -2; // the text ends within a sequence, valid so far

struct decoded {
    long cp;         // the code point, or below 0: invalid, cut_short
    std::size_t len; // the bytes taken: the sequence, or the maximal invalid subpart
};

// Decodes the UTF-8 at the start of text (not empty). The well-formed
// sequences of the Unicode standard: the second byte's range depends on the
// lead byte, which excludes overlong forms, surrogates and values past
// U+10FFFF at the earliest byte; an invalid sequence ends there.
constexpr decoded decode_utf8(std::string_view text) {
    auto b = static_cast<unsigned char>(text[0]);
    if (b < 0x80) return {b, 1};
    std::size_t extra = 0;
    std::uint32_t cp = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        extra = 1;
        cp = b & 0x1Fu;
    } else if (b >= 0xE0 && b <= 0xEF) {
        extra = 2;
        cp = b & 0x0Fu;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        extra = 3;
        cp = b & 0x07u;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return {invalid, 1};
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        if (k >= text.size()) return {cut_short, k};
        auto next = static_cast<unsigned char>(text[k]);
        if (next < low || next > high) return {invalid, k};
        cp = (cp << 6) | (next & 0x3Fu);
        low = 0x80;
        high = 0xBF;
    }
    return {static_cast<long>(cp), extra + 1};
}

// Takes the character at the start of text (not empty): its Windows-1251
// byte, or -1 for one that Windows-1251 lacks and for each maximal invalid
// subpart of the UTF-8.
constexpr int take_cp1251(std::string_view& text) {
    decoded d = decode_utf8(text);
    text.remove_prefix(d.len);
    return d.cp < 0 ? -1 : unicode_to_cp1251(static_cast<std::uint32_t>(d.cp));
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
    cp1251_text<sizeof(S.text)> out{};
    for (std::string_view rest(S.text, sizeof(S.text) - 1); !rest.empty();) {
        int byte = take_cp1251(rest);
        if (byte < 0) throw "not a Windows-1251 character";
        out.bytes[out.size++] = static_cast<char>(byte);
    }
    return out;
}

template <utf8_literal S> inline constexpr auto cp1251_storage = to_cp1251<S>();

} // namespace detail

// The length of the valid UTF-8 sequence at the start of text (1 to 4), or
// 0 when text does not start with one.
inline std::size_t utf8_sequence(std::string_view text) {
    if (text.empty()) return 0;
    detail::decoded d = detail::decode_utf8(text);
    return d.cp < 0 ? 0 : d.len;
}
// Whether text is the beginning of a valid UTF-8 sequence that its end cuts
// short, which the next bytes may complete.
inline bool utf8_cut_short(std::string_view text) {
    return !text.empty() && detail::decode_utf8(text).cp == detail::cut_short;
}

template <detail::utf8_literal S> constexpr std::string_view operator""_cp() {
    return {detail::cp1251_storage<S>.bytes, detail::cp1251_storage<S>.size};
}

} // namespace con
