// What a console holds. Private to the console's own files: programs and
// tests go through the functions of console.h.
#pragma once

#include "console.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace con {

struct console_state {
    // Input: a file descriptor, or the whole input in memory (in_exhausted
    // set from the start).
    int in_fd = 0;
    bool terminal = false;     // standard input is a terminal: key waits wait
    bool in_exhausted = false; // the source has nothing more to give
    std::vector<char> inbuf;   // bytes taken from the source, not yet read
    std::size_t inbuf_begin = 0;
    std::size_t inbuf_end = 0;

    // The current line: [line, line + line_len), read position pos. With
    // conversion on, line points into converted and typed keeps the bytes
    // as they came.
    const char* line = nullptr;
    std::size_t line_len = 0;
    std::size_t pos = 0;
    std::string converted;
    const char* typed = nullptr;
    std::size_t typed_len = 0;
    bool line_utf8 = false;      // the current line, as held, is UTF-8 text
    bool line_converted = false; // it came as UTF-8 and is held in Windows-1251
    bool ended = false;          // input ended, or output failed: the dialogue is over

    // Output: to out_fd, or appended to *out_str.
    int out_fd = 1;
    std::string* out_str = nullptr;
    std::unique_ptr<char[]> outbuf; // taken at the first write
    std::size_t out_used = 0;
    std::size_t reserved_at = 0; // where the room of reserve_output starts in outbuf
    std::string out_converted;   // output as the conversion gives it, on its way to outbuf
    bool out_terminal = false;   // standard output is a terminal (a console)
    bool out_line_start = true;  // the last byte written was a line break, or none was
    bool write_failed = false;   // nothing more is tried once a write failed
    bool failed = false;         // the run fails: output lost, or memory ran out

    // Text: the console's character set is UTF-8 (the locale's, or a
    // Windows console's); the program keeps its texts in Windows-1251
    // (use_cp1251); the output conversion is on (both). Two exceptions
    // that only Windows has: utf8_lines, redirected input in single bytes
    // where a line that is valid UTF-8 and holds a non-ASCII byte is read
    // as a UTF-8 line and any other as Windows-1251 (a file of answers is
    // often saved as UTF-8); out_cp1251, lines typed as UTF-8 at a console
    // but output redirected, which gets Windows-1251. A line is converted
    // where it differs from what the program keeps (see set_line in
    // input.cpp).
    bool utf8 = false;
    bool cp1251 = false;
    bool convert_cp1251 = false;
    bool utf8_lines = false;
    bool out_cp1251 = false;
    bool first_line = true; // no line taken yet: a byte order mark may open the input

    // What the Windows system layer carries from one call to the next.
    struct windows_io {
        bool out_console = false; // standard output is a console, written as UTF-16
        bool held_cr = false;     // input: a CR ended the last read; a LF may follow
        bool line_start = true;   // console input: the next character starts a line
        wchar_t held_unit = 0;    // console input: the first half of a surrogate pair
        std::string held_text;    // console output: a UTF-8 sequence cut at a write's end
    } win;

    const char* program = "console"; // names the program in messages on standard error
};

// Every typed line comes as UTF-8.
inline bool typed_utf8(const console_state& s) { return s.utf8 && !s.utf8_lines; }
// What the console shows, or is written to, is UTF-8.
inline bool shows_utf8(const console_state& s) { return s.utf8 && !s.out_cp1251; }

console_state& state_of(console& c);
const console_state& state_of(const console& c);

// Writes the buffered output; on failure reports it once and ends the dialogue.
void flush_output(console_state& s);
// Adds bytes to the buffered output (converted where output is), whether or
// not the dialogue has ended.
void append_output(console_state& s, const char* data, std::size_t size);
// Writes one line to standard error: the program's name, what happened and,
// when error is not 0, the system's text for that errno value.
void report(const console_state& s, const char* what, int error);

// What the operating system offers the console: one file per system.
// The first of LC_ALL, LC_CTYPE and LANG that is set and not empty names a
// UTF-8 codeset ("xx_YY.UTF-8", "xx_YY.utf8@variant", in any case), whether
// or not that locale is installed.
bool locale_name_is_utf8();
// Whether the console of standard input and output is UTF-8: the locale
// says so (locale_utf8), or none of those variables is set and input or
// output is a terminal. A terminal on which nobody chose a character set (a
// fresh root shell of a container) is a UTF-8 terminal almost everywhere
// today; pipes and files keep their bytes unless a locale says otherwise.
bool stdio_utf8(const console_state& s, bool locale_utf8);

namespace sys {
// Reads up to size bytes of input; 0 at the end of input or on an error.
std::size_t read_input(console_state& s, char* data, std::size_t size);
// Writes all of data; false, with errno set, when that failed.
bool write_output(console_state& s, const char* data, std::size_t size);
// True when fd is a terminal.
bool is_terminal(int fd);
// Sets up standard input and output for a run: terminal detection, locale.
void open_stdio(console_state& s);
// Undoes what open_stdio changed.
void close_stdio(console_state& s);
// Waits for one key press on the terminal s.in_fd.
void wait_key(console_state& s);
// True when the program's console window closes as the program ends: a
// console of this process alone (one started for it, as from Explorer)
// that standard output writes to. Never on POSIX systems.
bool window_closes_at_end(const console_state& s);
} // namespace sys

} // namespace con
