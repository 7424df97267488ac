// Buffered output: everything a dialogue writes collects here and goes out
// in large writes, before every wait for input and at the end.
#include "cp1251.h"
#include "state.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace con {

namespace {

// The buffer is written out once it holds output_limit bytes; beyond that it
// has room for the largest reserve_output.
constexpr std::size_t output_limit = output_room_most;
constexpr std::size_t buffer_size = output_limit + output_room_most;

char* buffer(console_state& s) {
    if (s.outbuf == nullptr) s.outbuf = std::make_unique_for_overwrite<char[]>(buffer_size);
    return s.outbuf.get();
}

// Adds bytes as they are.
void add_bytes(console_state& s, const char* data, std::size_t size) {
    while (size > 0) {
        std::size_t n = std::min(size, buffer_size - s.out_used);
        std::memcpy(buffer(s) + s.out_used, data, n);
        s.out_used += n;
        data += n;
        size -= n;
        if (s.out_used >= output_limit) flush_output(s);
    }
}

} // namespace

void append_output(console_state& s, const char* data, std::size_t size) {
    if (s.convert_cp1251) {
        s.out_converted.clear();
        append_as_utf8(s.out_converted, std::string_view(data, size));
        add_bytes(s, s.out_converted.data(), s.out_converted.size());
    } else {
        add_bytes(s, data, size);
    }
}

void flush_output(console_state& s) {
    if (s.out_used == 0) return;
    const char* data = s.outbuf.get();
    s.out_line_start = data[s.out_used - 1] == '\n';
    if (s.out_str != nullptr) {
        s.out_str->append(data, s.out_used);
    } else if (!s.write_failed && !sys::write_output(s, data, s.out_used)) {
        // A dialogue that cannot be seen is over: say so once, and let the
        // run end with a failure rather than report success.
        report(s, "cannot write standard output", errno);
        s.write_failed = true;
        s.failed = true;
        s.ended = true;
    }
    s.out_used = 0;
}

void write(console& c, std::string_view text) {
    console_state& s = state_of(c);
    if (s.ended) return;
    append_output(s, text.data(), text.size());
}

void write_as_typed(console& c, std::string_view text) {
    console_state& s = state_of(c);
    if (s.ended) return;
    add_bytes(s, text.data(), text.size());
}

char* reserve_output(console& c, std::size_t size) {
    console_state& s = state_of(c);
    if (s.out_used + size > output_limit) flush_output(s);
    s.reserved_at = s.out_used;
    return buffer(s) + s.out_used;
}

void commit_output(console& c, const char* end) {
    console_state& s = state_of(c);
    auto size = static_cast<std::size_t>(end - (s.outbuf.get() + s.reserved_at));
    if (s.ended) return;
    if (s.convert_cp1251) {
        std::string text(s.outbuf.get() + s.reserved_at, size);
        append_output(s, text.data(), text.size());
    } else {
        s.out_used += size;
        if (s.out_used >= output_limit) flush_output(s);
    }
}

void put_char(console& c, char ch) {
    console_state& s = state_of(c);
    if (s.ended) return;
    if (!s.convert_cp1251 && s.out_used + 1 < output_limit) {
        buffer(s)[s.out_used++] = ch;
        return;
    }
    append_output(s, &ch, 1);
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
