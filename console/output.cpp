// Buffered output: everything a dialogue writes collects here and goes out
// in large writes, before every wait for input and at the end.
#include "cp1251.h"
#include "state.h"

#include <array>
#include <cerrno>
#include <cstring>

namespace con {

namespace {

constexpr std::size_t output_limit = output_room_most;

// "00" to "99": numbers are written two digits at a time.
constexpr auto digit_pairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

} // namespace

void append_output(console_state& s, const char* data, std::size_t size) {
    if (s.convert_cp1251) {
        append_as_utf8(s.outbuf, std::string_view(data, size));
    } else {
        s.outbuf.append(data, size);
    }
    if (s.outbuf.size() >= output_limit) flush_output(s);
}

void flush_output(console_state& s) {
    if (s.outbuf.empty()) return;
    s.out_line_start = s.outbuf.back() == '\n';
    if (s.out_str != nullptr) {
        s.out_str->append(s.outbuf);
    } else if (!s.write_failed && !sys::write_output(s, s.outbuf.data(), s.outbuf.size())) {
        // A dialogue that cannot be seen is over: say so once, and let the
        // run end with a failure rather than report success.
        report(s, "cannot write standard output", errno);
        s.write_failed = true;
        s.failed = true;
        s.ended = true;
    }
    s.outbuf.clear();
}

void write(console& c, std::string_view text) {
    console_state& s = state_of(c);
    if (s.ended) return;
    append_output(s, text.data(), text.size());
}

void write_as_typed(console& c, std::string_view text) {
    console_state& s = state_of(c);
    if (s.ended) return;
    s.outbuf.append(text);
    if (s.outbuf.size() >= output_limit) flush_output(s);
}

char* reserve_output(console& c, std::size_t size) {
    console_state& s = state_of(c);
    if (s.outbuf.size() + size > output_limit) flush_output(s);
    if (s.outbuf.capacity() < output_limit + output_room_most)
        s.outbuf.reserve(output_limit + output_room_most);
    s.reserved_at = s.outbuf.size();
    s.outbuf.resize(s.reserved_at + size);
    return s.outbuf.data() + s.reserved_at;
}

void commit_output(console& c, const char* end) {
    console_state& s = state_of(c);
    auto size = static_cast<std::size_t>(end - (s.outbuf.data() + s.reserved_at));
    if (s.ended) {
        s.outbuf.resize(s.reserved_at);
    } else if (s.convert_cp1251) {
        std::string text = s.outbuf.substr(s.reserved_at, size);
        s.outbuf.resize(s.reserved_at);
        append_output(s, text.data(), text.size());
    } else {
        s.outbuf.resize(s.reserved_at + size);
        if (s.outbuf.size() >= output_limit) flush_output(s);
    }
}

void put_char(console& c, char ch) {
    console_state& s = state_of(c);
    if (s.ended) return;
    if (!s.convert_cp1251 && s.outbuf.size() + 1 < output_limit) {
        s.outbuf += ch;
        return;
    }
    append_output(s, &ch, 1);
}

char* format_int(char* out, std::int64_t value, int width) {
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

void put_int(console& c, std::int64_t value, int width) {
    constexpr int widest = 44;
    char text[widest + 20];
    for (; width > widest; --width) put_char(c, ' ');
    char* end = format_int(text, value, width);
    write(c, std::string_view(text, static_cast<std::size_t>(end - text)));
}

void flush(console& c) { flush_output(state_of(c)); }

} // namespace con
