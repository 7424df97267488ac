// Typed-line input: the current line, discard, and the character, text and
// integer reads that take from it.
#include "cp1251.h"
#include "state.h"

#include <algorithm>
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

// True when text is valid UTF-8 and holds at least one non-ASCII byte.
bool is_utf8_text(std::string_view text) {
    bool beyond_ascii = false;
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = utf8_sequence(text.substr(i));
        if (len == 0) return false;
        beyond_ascii = true;
        i += len;
    }
    return beyond_ascii;
}

// A UTF-8 byte order mark, as some editors put at the start of a file.
constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

bool has_high_byte(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; });
}

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

got read_int(console& c, std::int32_t& value, int width) {
    console_state& s = state_of(c);
    int ch = peek_waiting(s);
    while (ch != end_of_input && is_space(ch)) {
        ++s.pos;
        ch = peek_waiting(s);
    }
    if (ch == end_of_input) return got::end;
    int used = 0;
    bool negative = false;
    if (ch == '+' || ch == '-') {
        // A sign is an answer even when the input ends right after it:
        // nothing converts, and the next read meets the end.
        negative = ch == '-';
        ++s.pos;
        ++used;
    }
    std::uint32_t magnitude = 0;
    int digits = 0;
    const char* line = s.line;
    while ((width == 0 || used < width) && s.pos < s.line_len && is_digit(line[s.pos])) {
        magnitude = magnitude * 10u + static_cast<std::uint32_t>(line[s.pos] - '0');
        ++s.pos;
        ++used;
        ++digits;
    }
    if (digits == 0) return got::retry;
    value = static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
    return got::value;
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
