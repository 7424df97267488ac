// Typed-line input: the current line, discard, and the character, text and
// integer reads that take from it.
#include "cp1251.h"
#include "state.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace con {

namespace {

constexpr std::size_t block_size = std::size_t{64} * 1024;

bool is_space(int ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

bool is_digit(int ch) { return ch >= '0' && ch <= '9'; }

// Reads one more block from the input source into inbuf. Returns false when
// the source has nothing more (end of file or a read error).
bool fill(console_state& s) {
    if (s.in_exhausted) return false;
    // Whoever types the next line must see everything written so far.
    flush_output(s);
    if (s.ended) return false;
    if (s.inbuf_begin > 0) {
        std::memmove(s.inbuf.data(), s.inbuf.data() + s.inbuf_begin, s.inbuf_end - s.inbuf_begin);
        s.inbuf_end -= s.inbuf_begin;
        s.inbuf_begin = 0;
    }
    if (s.inbuf.size() - s.inbuf_end < block_size / 2) s.inbuf.resize(s.inbuf.size() * 2 + block_size);
    std::size_t got = sys::read_input(s, s.inbuf.data() + s.inbuf_end, s.inbuf.size() - s.inbuf_end);
    if (got == 0) {
        s.in_exhausted = true;
        return false;
    }
    s.inbuf_end += got;
    return true;
}

bool has_high_byte(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; });
}

// True when text is valid UTF-8 and holds at least one non-ASCII byte.
bool is_utf8_text(std::string_view text) {
    if (!has_high_byte(text)) return false;
    for (std::size_t i = 0, len = 0; i < text.size(); i += len)
        if ((len = utf8_sequence(text.substr(i))) == 0) return false;
    return true;
}

// A UTF-8 byte order mark, as some editors put at the start of a file.
constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

void set_line(console_state& s, std::size_t begin, std::size_t end) {
    if (s.first_line) {
        // A byte order mark that opens UTF-8 input is no answer (a file of
        // answers saved as "UTF-8 with BOM"). Where the console takes bytes
        // as they come, it stays.
        s.first_line = false;
        if ((s.utf8 || s.utf8_lines) &&
            std::string_view(s.inbuf.data() + begin, end - begin).starts_with(byte_order_mark))
            begin += byte_order_mark.size();
    }
    s.line = s.inbuf.data() + begin;
    s.line_len = end - begin;
    s.pos = 0;
    s.inbuf_begin = end;
    s.typed = s.line;
    s.typed_len = s.line_len;
    std::string_view text(s.line, s.line_len);
    // A line of single bytes that happens to be valid UTF-8 with letters
    // beyond ASCII is, in practice, never Windows-1251: Cyrillic in
    // Windows-1251 is almost never a valid UTF-8 sequence.
    s.line_utf8 = typed_utf8(s) || (s.utf8_lines && is_utf8_text(text));
    // The program keeps Windows-1251 where it says so, and a program that
    // passes bytes through keeps the console's character set: a UTF-8 line
    // is converted for a console that is not UTF-8 (typed at a Windows
    // console, written to a file), a Windows-1251 line for a UTF-8 one (a
    // redirected file shown on a Windows console). Both redirected, the
    // bytes pass unchanged.
    s.line_converted = s.line_utf8 && (s.cp1251 || (typed_utf8(s) && s.out_cp1251));
    if (s.line_converted) {
        s.converted = utf8_to_cp1251(text);
        s.line_utf8 = false;
    } else if (!s.line_utf8 && s.utf8_lines && shows_utf8(s) && !s.cp1251 && has_high_byte(text)) {
        s.converted = cp1251_to_utf8(text);
        s.line_utf8 = true;
    } else {
        return;
    }
    s.line = s.converted.data();
    s.line_len = s.converted.size();
}

void end_input(console_state& s) {
    s.line = nullptr;
    s.line_len = 0;
    s.pos = 0;
    s.ended = true;
}

// Makes the next typed line current. Returns false, and ends the dialogue,
// when there is none.
bool next_line(console_state& s) {
    if (s.ended) return false;
    std::size_t scanned = s.inbuf_begin;
    for (;;) {
        const void* nl = nullptr;
        if (scanned < s.inbuf_end) nl = std::memchr(s.inbuf.data() + scanned, '\n', s.inbuf_end - scanned);
        if (nl != nullptr) {
            auto end = static_cast<std::size_t>(static_cast<const char*>(nl) - s.inbuf.data()) + 1;
            set_line(s, s.inbuf_begin, end);
            return true;
        }
        scanned = s.inbuf_end;
        std::size_t kept_before = s.inbuf_begin;
        if (!fill(s)) {
            if (s.inbuf_begin < s.inbuf_end && !s.ended) {
                set_line(s, s.inbuf_begin, s.inbuf_end);
                if (s.line_len > 0) return true; // else it held a byte order mark alone
            }
            end_input(s);
            return false;
        }
        scanned -= kept_before; // fill moved the unread bytes to the front
    }
}

// The next character of the current line without taking it; takes a new
// line when the current one is used up. end_of_input when there is none.
int peek_waiting(console_state& s) {
    if (s.pos == s.line_len && !next_line(s)) return end_of_input;
    return static_cast<unsigned char>(s.line[s.pos]);
}

} // namespace

int read_char(console& c) {
    console_state& s = state_of(c);
    int ch = peek_waiting(s);
    if (ch != end_of_input) ++s.pos;
    return ch;
}

std::string_view read_typed_char(console& c) { return read_typed_chars(c, 1).text; }

typed_run read_typed_chars(console& c, std::size_t most) {
    console_state& s = state_of(c);
    if (peek_waiting(s) == end_of_input) return {};
    std::string_view rest(s.line + s.pos, s.line_len - s.pos);
    typed_run run;
    std::size_t len = 0;
    if (s.line_utf8 && !s.line_converted) {
        for (; run.chars < most && len < rest.size(); ++run.chars) {
            run.last = len;
            len += std::max<std::size_t>(utf8_sequence(rest.substr(len)), 1);
        }
    } else {
        // A line break only ever ends the line, so every byte up to the
        // line's end is a character of it.
        run.chars = std::min(most, rest.size());
        len = run.chars;
        run.last = len - 1;
    }
    s.pos += len;
    run.text = rest.substr(0, len);
    return run;
}

bool read_text(console& c, std::string& text, text_form form, line_end end) {
    console_state& s = state_of(c);
    text.clear();
    if (peek_waiting(s) == end_of_input) return false;
    bool has_break = s.line[s.line_len - 1] == '\n';
    if (end == line_end::required && !has_break) {
        // Only the last line lacks its line break: the read meets the end.
        end_input(s);
        return false;
    }
    std::size_t stop = s.line_len - (has_break ? 1 : 0);
    std::string_view rest(s.line + s.pos, stop - s.pos);
    // UTF-8 is asked for as such, or as typed wherever the line came as
    // UTF-8 or the console shows UTF-8; a Windows-1251 line on a console
    // that does not stays as it is.
    bool want_utf8 = form == text_form::utf8 ||
                     (form == text_form::as_typed && (s.line_converted || (s.cp1251 && shows_utf8(s))));
    if (form == text_form::converted || !want_utf8 || s.line_utf8) {
        text.assign(rest);
    } else if (s.line_converted && s.pos == 0) {
        text.assign(s.typed, s.typed_len - (has_break ? 1 : 0));
    } else {
        // Part of the line is already read, or it came in Windows-1251.
        text = cp1251_to_utf8(rest);
    }
    s.pos = s.line_len;
    return true;
}

namespace {

// The number read_int takes at p, within the line up to end: a sign, then
// digits. Returns where it ends; digits tells whether any came.
const char* scan_int(const char* p, const char* end, std::int32_t& value, bool& digits) {
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    const char* first = p;
    std::uint32_t magnitude = 0;
    for (; p != end && is_digit(*p); ++p) magnitude = magnitude * 10u + static_cast<std::uint32_t>(*p - '0');
    digits = p != first;
    value = static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
    return p;
}

} // namespace

got read_int(console& c, std::int32_t& value, int width) {
    console_state& s = state_of(c);
    int ch = peek_waiting(s);
    while (ch != end_of_input && is_space(ch)) {
        ++s.pos;
        ch = peek_waiting(s);
    }
    if (ch == end_of_input) return got::end;
    // A sign is an answer even when the input ends right after it: nothing
    // converts, and the next read meets the end.
    const char* end = s.line + s.line_len;
    if (width > 0 && end - (s.line + s.pos) > width) end = s.line + s.pos + width;
    std::int32_t read = 0;
    bool digits = false;
    s.pos = static_cast<std::size_t>(scan_int(s.line + s.pos, end, read, digits) - s.line);
    if (!digits) return got::retry;
    value = read;
    return got::value;
}

// The word-at-a-time reading of read_int_ahead: a number of one to seven
// digits, with a character that is none within eight, is read as one word
// (maxcut 3000×3000: 0.248 s of CPU against 0.277 s a character at a time;
// perf stat task-clock, least of 9 runs each).
namespace {

// Eight characters at p as one word, the first in the lowest byte, each
// less '0': a digit becomes its value.
std::uint64_t load_less_zeros(const char* p) {
    std::uint64_t w = 0;
    std::memcpy(&w, p, 8);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
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

// The value of the count (1..7) digits at p: the digits are moved to the top
// of the word, behind zeros, and pairs, fours and eights are joined.
std::uint32_t digits_value(const char* p, std::size_t count) {
    std::uint64_t x = load_less_zeros(p) << (8 * (8 - count));
    x = (x * 10 + (x >> 8)) & 0x00ff00ff00ff00ff;
    x = (x * 100 + (x >> 16)) & 0x0000ffff0000ffff;
    x = (x * 10000 + (x >> 32)) & 0xffffffff;
    return static_cast<std::uint32_t>(x);
}

} // namespace

bool read_int_ahead(console& c, std::int32_t& value) {
    console_state& s = state_of(c);
    const char* p = s.line + s.pos;
    const char* end = s.line + s.line_len;
    for (;;) {
        while (p != end && is_space(*p)) ++p;
        s.pos = static_cast<std::size_t>(p - s.line);
        if (p != end) break;
        std::string_view next = typed_ahead(c);
        if (next.empty()) return false;
        p = next.data();
        end = p + next.size();
    }
    const char* const start = p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    std::uint32_t magnitude = 0;
    std::size_t digits = 0;
    // 1 to 7 digits: 0 wraps round to the largest size.
    if (end - p >= 8 && (digits = leading_digits(p)) - 1 < 7) {
        magnitude = digits_value(p, digits);
        p += digits;
    } else {
        bool any = false;
        std::int32_t read = 0;
        p = scan_int(start, end, read, any);
        if (!any) return false;
        magnitude = static_cast<std::uint32_t>(read);
        negative = false;
    }
    s.pos = static_cast<std::size_t>(p - s.line);
    value = static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
    return true;
}

std::string_view typed_ahead(console& c) {
    console_state& s = state_of(c);
    if (s.ended) return {};
    if (s.pos == s.line_len) {
        // The next line without a wait: only when its line break is here.
        if (s.inbuf_begin == s.inbuf_end) return {};
        const void* nl = std::memchr(s.inbuf.data() + s.inbuf_begin, '\n', s.inbuf_end - s.inbuf_begin);
        if (nl == nullptr) return {};
        set_line(s, s.inbuf_begin,
                 static_cast<std::size_t>(static_cast<const char*>(nl) - s.inbuf.data()) + 1);
    }
    return {s.line + s.pos, s.line_len - s.pos};
}

void take_typed(console& c, std::size_t n) { state_of(c).pos += n; }

bool ask_int(console& c, const int_question& q, std::int32_t& value) {
    for (;;) {
        if (!q.prompt.empty()) write(c, q.prompt);
        std::int32_t answer = 0;
        got g = read_int(c, answer, q.width);
        if (g == got::end) return false;
        if (g == got::value && answer >= q.min && answer <= q.max) {
            value = answer;
            return true;
        }
        write(c, q.error);
        discard(c);
    }
}

void discard(console& c) {
    console_state& s = state_of(c);
    s.pos = s.line_len;
}

bool ended(const console& c) { return state_of(c).ended; }

std::string unread(const console& c) {
    const console_state& s = state_of(c);
    std::string rest;
    if (s.pos < s.line_len) rest.assign(s.line + s.pos, s.line_len - s.pos);
    rest.append(s.inbuf.data() + s.inbuf_begin, s.inbuf_end - s.inbuf_begin);
    return rest;
}

} // namespace con
