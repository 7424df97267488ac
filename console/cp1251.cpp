#include "cp1251.h"

namespace con {

char* put_utf8(char* out, std::uint32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
        return out;
    }
    // The lead byte holds as many high bits set as the sequence has bytes.
    int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    *out++ = static_cast<char>((0xFFu << (7 - extra) & 0xFFu) | cp >> (6 * extra));
    for (int k = extra - 1; k >= 0; --k) *out++ = static_cast<char>(0x80u | (cp >> (6 * k) & 0x3Fu));
    return out;
}

namespace {

void append_utf8(std::string& out, std::uint32_t cp) {
    char bytes[4];
    out.append(bytes, put_utf8(bytes, cp));
}

} // namespace

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
        int byte = detail::take_cp1251(text);
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

} // namespace con
