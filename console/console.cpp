#include "console.h"

#include <cerrno>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <langinfo.h>
#include <strings.h>
#include <termios.h>
#include <unistd.h>

namespace con {

namespace {

constexpr std::size_t block_size = std::size_t{64} * 1024;
constexpr std::size_t output_limit = std::size_t{64} * 1024;

bool is_space(int ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

bool is_digit(int ch) { return ch >= '0' && ch <= '9'; }

// Reads one more block from the input source into inbuf. Returns false when
// the source has nothing more (end of file or a read error).
bool fill(console& c) {
    if (c.in_exhausted) return false;
    // Whoever types the next line must see everything written so far.
    flush(c);
    if (c.inbuf_begin > 0) {
        std::memmove(c.inbuf.data(), c.inbuf.data() + c.inbuf_begin, c.inbuf_end - c.inbuf_begin);
        c.inbuf_end -= c.inbuf_begin;
        c.inbuf_begin = 0;
    }
    if (c.inbuf.size() - c.inbuf_end < block_size / 2) c.inbuf.resize(c.inbuf.size() * 2 + block_size);
    for (;;) {
        ssize_t got = ::read(c.in_fd, c.inbuf.data() + c.inbuf_end, c.inbuf.size() - c.inbuf_end);
        if (got > 0) {
            c.inbuf_end += static_cast<std::size_t>(got);
            return true;
        }
        if (got < 0 && errno == EINTR) continue;
        c.in_exhausted = true;
        return false;
    }
}

void set_line(console& c, std::size_t begin, std::size_t end) {
    c.line = c.inbuf.data() + begin;
    c.line_len = end - begin;
    c.pos = 0;
    c.inbuf_begin = end;
    c.typed = c.line;
    c.typed_len = c.line_len;
    if (c.convert_cp1251) {
        c.converted = utf8_to_cp1251(std::string_view(c.line, c.line_len));
        c.line = c.converted.data();
        c.line_len = c.converted.size();
    }
}

// Makes the next typed line current. Returns false, and marks the console
// ended, when there is none.
bool next_line(console& c) {
    if (c.ended) return false;
    std::size_t scanned = c.inbuf_begin;
    for (;;) {
        const void* nl = nullptr;
        if (scanned < c.inbuf_end) nl = std::memchr(c.inbuf.data() + scanned, '\n', c.inbuf_end - scanned);
        if (nl != nullptr) {
            auto end = static_cast<std::size_t>(static_cast<const char*>(nl) - c.inbuf.data()) + 1;
            set_line(c, c.inbuf_begin, end);
            return true;
        }
        scanned = c.inbuf_end;
        std::size_t kept_before = c.inbuf_begin;
        if (!fill(c)) {
            if (c.inbuf_begin < c.inbuf_end) {
                set_line(c, c.inbuf_begin, c.inbuf_end);
                return true;
            }
            c.line = nullptr;
            c.line_len = 0;
            c.pos = 0;
            c.ended = true;
            return false;
        }
        scanned -= kept_before; // fill moved the unread bytes to the front
    }
}

// The next character of the current line without taking it; fetches a new
// line when the current one is used up. end_of_input when there is none.
int peek_waiting(console& c) {
    if (c.pos == c.line_len && !next_line(c)) return end_of_input;
    return static_cast<unsigned char>(c.line[c.pos]);
}

void append_utf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void append_output(console& c, const char* data, std::size_t size) {
    if (!c.convert_cp1251) {
        c.outbuf.append(data, size);
    } else {
        std::string_view text(data, size);
        while (!text.empty()) {
            std::size_t plain = 0;
            while (plain < text.size() && static_cast<unsigned char>(text[plain]) < 0x80) ++plain;
            c.outbuf.append(text.data(), plain);
            text.remove_prefix(plain);
            if (text.empty()) break;
            int cp = detail::cp1251_to_unicode(static_cast<unsigned char>(text[0]));
            append_utf8(c.outbuf, cp < 0 ? '?' : static_cast<std::uint32_t>(cp));
            text.remove_prefix(1);
        }
    }
    if (c.outbuf.size() >= output_limit) flush(c);
}

// Decodes one UTF-8 sequence at the start of text. Returns the code point,
// or -1 for an invalid sequence; len receives the bytes it takes.
long decode_utf8(std::string_view text, std::size_t& len) {
    auto b = static_cast<unsigned char>(text[0]);
    len = 1;
    if (b < 0x80) return b;
    std::size_t extra = 0;
    std::uint32_t cp = 0;
    std::uint32_t min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        extra = 1;
        cp = b & 0x1Fu;
        min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        extra = 2;
        cp = b & 0x0Fu;
        min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        extra = 3;
        cp = b & 0x07u;
        min = 0x10000;
    } else {
        return -1;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        if (k >= text.size() || (static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) {
            len = k; // the broken sequence counts as one invalid character
            return -1;
        }
        cp = (cp << 6) | (static_cast<unsigned char>(text[k]) & 0x3Fu);
    }
    len = extra + 1;
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    return static_cast<long>(cp);
}

// False when no byte came: end of input, an error, or the short timeout
// while the rest of a key is collected.
bool read_key_byte(int fd, unsigned char& b) {
    for (;;) {
        ssize_t got = ::read(fd, &b, 1);
        if (got == 1) return true;
        if (got < 0 && errno == EINTR) continue;
        return false;
    }
}

// The continuation bytes announced by a UTF-8 lead byte.
int utf8_tail(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) return 1;
    if (b >= 0xE0 && b <= 0xEF) return 2;
    if (b >= 0xF0 && b <= 0xF4) return 3;
    return 0;
}

// A key may send several bytes: a letter outside ASCII, or Escape with a
// control sequence ("[" with parameters up to a final byte, or "O" and one
// byte). The wait takes them all and nothing typed after them.
void take_rest_of_key(int fd, unsigned char first) {
    unsigned char b = 0;
    if (first != 0x1B) {
        for (int k = utf8_tail(first); k > 0 && read_key_byte(fd, b); --k) {}
        return;
    }
    if (!read_key_byte(fd, b)) return;
    if (b == '[') {
        while (read_key_byte(fd, b) && !(b >= 0x40 && b <= 0x7E)) {}
    } else if (b == 'O') {
        read_key_byte(fd, b);
    }
}

} // namespace

void open_stdio(console& c) {
    c.in_fd = 0;
    c.in_memory = false;
    c.in_tty = ::isatty(0) != 0;
    c.out_fd = 1;
    c.out_str = nullptr;
}

void open_memory(console& c, std::string_view input, std::string& out) {
    c.in_memory = true;
    c.in_tty = false;
    c.in_exhausted = true;
    c.inbuf.assign(input.begin(), input.end());
    c.inbuf_begin = 0;
    c.inbuf_end = c.inbuf.size();
    c.out_str = &out;
}

void close(console& c) { flush(c); }

int run_stdio(int (*run)(console&)) {
    console c;
    open_stdio(c);
    int status = run(c);
    close(c);
    return status;
}

void write(console& c, std::string_view text) {
    if (c.ended) return;
    append_output(c, text.data(), text.size());
}

void put_char(console& c, char ch) {
    if (c.ended) return;
    if (!c.convert_cp1251 && c.outbuf.size() + 1 < output_limit) {
        c.outbuf += ch;
        return;
    }
    append_output(c, &ch, 1);
}

void put_int(console& c, std::int32_t value, int width) {
    char digits[16];
    int len = 0;
    auto magnitude = static_cast<std::uint32_t>(value);
    if (value < 0) magnitude = 0u - magnitude;
    do {
        digits[len++] = static_cast<char>('0' + magnitude % 10u);
        magnitude /= 10u;
    } while (magnitude != 0);
    if (value < 0) digits[len++] = '-';
    char text[48];
    int out = 0;
    for (int pad = width - len; pad > 0 && out < 32; --pad) text[out++] = ' ';
    while (len > 0) text[out++] = digits[--len];
    write(c, std::string_view(text, static_cast<std::size_t>(out)));
}

void print(console& c, const char* format, ...) {
    if (c.ended) return;
    char small[512];
    va_list args;
    va_start(args, format);
    int len = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (len < 0) return;
    if (static_cast<std::size_t>(len) < sizeof small) {
        append_output(c, small, static_cast<std::size_t>(len));
        return;
    }
    std::string big(static_cast<std::size_t>(len) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(big.data(), big.size(), format, args);
    va_end(args);
    append_output(c, big.data(), static_cast<std::size_t>(len));
}

void flush(console& c) {
    if (c.outbuf.empty()) return;
    if (c.out_str != nullptr) {
        c.out_str->append(c.outbuf);
        c.outbuf.clear();
        return;
    }
    const char* data = c.outbuf.data();
    std::size_t left = c.outbuf.size();
    while (left > 0) {
        ssize_t done = ::write(c.out_fd, data, left);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) break; // nowhere to write to: the text is lost, the dialogue goes on
        data += done;
        left -= static_cast<std::size_t>(done);
    }
    c.outbuf.clear();
}

int read_char(console& c) {
    int ch = peek_waiting(c);
    if (ch != end_of_input) ++c.pos;
    return ch;
}

bool read_line(console& c, std::string& text, bool as_typed) {
    text.clear();
    if (peek_waiting(c) == end_of_input) return false;
    std::size_t end = c.line_len;
    if (c.line[end - 1] == '\n') --end;
    if (!as_typed || !c.convert_cp1251) {
        text.assign(c.line + c.pos, end - c.pos);
    } else if (c.pos == 0) {
        text.assign(c.typed, c.typed_len - (c.typed[c.typed_len - 1] == '\n' ? 1 : 0));
    } else {
        // Part of the line is already read: its rest is only known converted.
        text = cp1251_to_utf8(std::string_view(c.line + c.pos, end - c.pos));
    }
    c.pos = c.line_len;
    return true;
}

int read_int(console& c, std::int32_t& value, int width) {
    int ch = peek_waiting(c);
    while (ch != end_of_input && is_space(ch)) {
        ++c.pos;
        ch = peek_waiting(c);
    }
    if (ch == end_of_input) return end_of_input;
    int used = 0;
    bool negative = false;
    if (ch == '+' || ch == '-') {
        negative = ch == '-';
        ++c.pos;
        ++used;
        if (width > 0 && used >= width) return 0;
        // Only the last line can end without a line break: nothing follows the sign.
        if (c.pos == c.line_len) {
            c.ended = true;
            return end_of_input;
        }
    }
    std::uint32_t magnitude = 0;
    int digits = 0;
    while ((width == 0 || used < width) && c.pos < c.line_len && is_digit(c.line[c.pos])) {
        magnitude = magnitude * 10u + static_cast<std::uint32_t>(c.line[c.pos] - '0');
        ++c.pos;
        ++used;
        ++digits;
    }
    if (digits == 0) return 0;
    value = static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
    return 1;
}

void discard(console& c) { c.pos = c.line_len; }

void wait_key(console& c) {
    if (!c.in_tty || c.ended) return;
    flush(c);
    termios saved{};
    if (::tcgetattr(c.in_fd, &saved) != 0) return;
    termios raw = saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (::tcsetattr(c.in_fd, TCSANOW, &raw) != 0) return;
    unsigned char first = 0;
    if (read_key_byte(c.in_fd, first)) {
        // The other bytes of a key arrive with the first one: wait at most a
        // tenth of a second for them, so that a lone Escape ends the wait too.
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 1;
        if (::tcsetattr(c.in_fd, TCSANOW, &raw) == 0) take_rest_of_key(c.in_fd, first);
    }
    // Back in line mode, whatever was typed after the key forms the next line.
    ::tcsetattr(c.in_fd, TCSANOW, &saved);
}

void use_cp1251(console& c) { c.convert_cp1251 = locale_is_utf8(); }

bool locale_is_utf8() {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    std::string saved = current != nullptr ? current : "C";
    bool utf8 = false;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const char* codeset = ::nl_langinfo(CODESET);
        utf8 =
            codeset != nullptr && (::strcasecmp(codeset, "UTF-8") == 0 || ::strcasecmp(codeset, "UTF8") == 0);
    }
    std::setlocale(LC_CTYPE, saved.c_str());
    return utf8;
}

std::string cp1251_to_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        int cp = detail::cp1251_to_unicode(static_cast<unsigned char>(ch));
        append_utf8(out, cp < 0 ? '?' : static_cast<std::uint32_t>(cp));
    }
    return out;
}

std::string utf8_to_cp1251(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        std::size_t len = 1;
        long cp = decode_utf8(text, len);
        int byte = cp < 0 ? -1 : detail::unicode_to_cp1251(static_cast<std::uint32_t>(cp));
        out += byte < 0 ? '?' : static_cast<char>(byte);
        text.remove_prefix(len);
    }
    return out;
}

} // namespace con
