#include "cp1251.h"

namespace con {

char* put_utf8(char* out, std::uint32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

namespace {

void append_utf8(std::string& out, std::uint32_t cp) {
    char bytes[4];
    out.append(bytes, put_utf8(bytes, cp));
}

constexpr long invalid = -1;
constexpr long cut_short = -2; // the text ends within a sequence, valid so far

struct decoded {
    long cp;         // the code point, or below 0: invalid, cut_short
    std::size_t len; // the bytes taken: the sequence, or the maximal invalid subpart
};

// Decodes the UTF-8 at the start of text (not empty). The well-formed
// sequences of the Unicode standard: the second byte's range depends on the
// lead byte, which excludes overlong forms, surrogates and values past
// U+10FFFF at the earliest byte; an invalid sequence ends there.
decoded decode_utf8(std::string_view text) {
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

} // namespace

std::size_t utf8_sequence(std::string_view text) {
    if (text.empty()) return 0;
    decoded d = decode_utf8(text);
    return d.cp < 0 ? 0 : d.len;
}

bool utf8_cut_short(std::string_view text) { return !text.empty() && decode_utf8(text).cp == cut_short; }

void append_as_utf8(std::string& out, std::string_view bytes) {
    while (!bytes.empty()) {
        std::size_t plain = 0;
        while (plain < bytes.size() && static_cast<unsigned char>(bytes[plain]) < 0x80) ++plain;
        out.append(bytes.data(), plain);
        bytes.remove_prefix(plain);
        if (bytes.empty()) break;
        int cp = detail::cp1251_to_unicode(static_cast<unsigned char>(bytes[0]));
        append_utf8(out, cp < 0 ? '?' : static_cast<std::uint32_t>(cp));
        bytes.remove_prefix(1);
    }
}

std::string cp1251_to_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    append_as_utf8(out, bytes);
    return out;
}

std::string utf8_to_cp1251(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        decoded d = decode_utf8(text);
        int byte = d.cp < 0 ? -1 : detail::unicode_to_cp1251(static_cast<std::uint32_t>(d.cp));
        out += byte < 0 ? '?' : static_cast<char>(byte);
        text.remove_prefix(d.len);
    }
    return out;
}

} // namespace con
