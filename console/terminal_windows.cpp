// The console on Windows. A console is read and written through its Unicode
// interface and counts as a UTF-8 terminal: typed UTF-16 reaches the library
// as UTF-8, and the library's UTF-8 is shown as UTF-16, so Cyrillic reads
// and shows correctly whatever code page the console is set to, text read
// from a redirected file included. Redirected output receives Windows-1251
// bytes, as the dialogues have them; from pipe to pipe bytes pass
// unchanged. Line breaks follow the Windows convention:
// a CR LF typed or read is one line break, and every line break is written
// as CR LF.
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include "blocks.h"
#include "cp1251.h"
#include "state.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

namespace con::sys {

namespace {

HANDLE handle_of(int fd) {
    if (fd < 0) return INVALID_HANDLE_VALUE;
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// Drops the CR of every CR LF in data[0, size) and returns the new size. A
// CR at the very end is held back, since its LF may come with the next read.
std::size_t take_line_breaks(console_state& s, char* data, std::size_t size) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\r') {
            if (i + 1 == size) {
                s.win.held_cr = true;
                break;
            }
            if (data[i + 1] == '\n') continue;
        }
        data[out++] = data[i];
    }
    return out;
}

// Reads the console's next typed characters as UTF-8 into data; 0 at the
// end of input: an error, or Ctrl-Z typed at the start of a line, the way a
// person ends the input of a Windows console program.
std::size_t read_console(console_state& s, HANDLE in, char* data, std::size_t size) {
    // One UTF-16 unit gives at most three bytes of UTF-8.
    wchar_t units[4096];
    DWORD room = static_cast<DWORD>(std::min<std::size_t>(std::size(units), size / 3));
    DWORD held = 0;
    if (s.win.held_unit != 0) {
        units[held++] = s.win.held_unit;
        s.win.held_unit = 0;
    }
    DWORD got = 0;
    if (!::ReadConsoleW(in, units + held, room - held, &got, nullptr) || got == 0) return 0;
    if (s.win.line_start && units[held] == 0x1A) return 0;
    got += held;
    // A surrogate pair cut by the end of the buffer is converted whole, next time.
    if (units[got - 1] >= 0xD800 && units[got - 1] <= 0xDBFF && got > 1) s.win.held_unit = units[--got];
    int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, units, static_cast<int>(got), data,
                              static_cast<int>(std::min<std::size_t>(size, INT_MAX)), nullptr, nullptr);
    if (bytes <= 0) return 0;
    s.win.line_start = data[bytes - 1] == '\n';
    return static_cast<std::size_t>(bytes);
}

std::size_t read_bytes(console_state& s, char* data, std::size_t size) {
    int got = ::_read(s.in_fd, data, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

// The length of the end of text that starts a UTF-8 sequence but does not
// complete it; 0 when the text ends with a whole character.
std::size_t cut_sequence(std::string_view text) {
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back)
        if (utf8_cut_short(text.substr(text.size() - back))) return back;
    return 0;
}

bool write_units(HANDLE out, const std::wstring& units) {
    std::size_t at = 0;
    while (at < units.size()) {
        // Old consoles refuse very long writes: at most 8192 units at a time.
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(units.size() - at, 8192));
        DWORD done = 0;
        if (!::WriteConsoleW(out, units.data() + at, chunk, &done, nullptr) || done == 0) {
            errno = EIO;
            return false;
        }
        at += done;
    }
    return true;
}

// Shows text in the given code page on the console as UTF-16, every LF as
// CR LF. Bytes that are no valid text show as replacement characters.
bool show(HANDLE out, UINT code_page, std::string_view text) {
    if (text.empty()) return true;
    int count = ::MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (count <= 0) return true;
    std::wstring units(static_cast<std::size_t>(count), L'\0');
    ::MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), units.data(), count);
    std::wstring shown;
    shown.reserve(units.size() + units.size() / 8);
    for (wchar_t u : units) {
        if (u == L'\n') shown += L'\r';
        shown += u;
    }
    return write_units(out, shown);
}

// What a console is given is UTF-8: the texts of a Windows-1251 program
// converted, and lines read from a redirected file converted to the
// console's character set as they are read (see open_stdio).
bool write_console(console_state& s, HANDLE out, std::string_view text) {
    std::string whole = std::move(s.win.held_text);
    s.win.held_text.clear();
    whole.append(text);
    // A character cut by the end of the buffer waits for its other bytes.
    std::size_t cut = cut_sequence(whole);
    s.win.held_text.assign(whole, whole.size() - cut, cut);
    whole.resize(whole.size() - cut);
    return show(out, CP_UTF8, whole);
}

// Writes bytes unchanged but for every LF, which goes out as CR LF, in one
// write for the whole buffer.
bool write_bytes(const console_state& s, const char* data, std::size_t size) {
    std::string out;
    out.reserve(size + size / 8);
    for (const char* end = data + size; data < end;) {
        const char* nl = std::find(data, end, '\n');
        out.append(data, nl);
        if (nl == end) break;
        out += "\r\n";
        data = nl + 1;
    }
    return blk::write_all(s.out_fd, out.data(), out.size());
}

} // namespace

std::size_t read_input(console_state& s, char* data, std::size_t size) {
    for (;;) {
        std::size_t held = 0;
        if (s.win.held_cr) {
            data[held++] = '\r';
            s.win.held_cr = false;
        }
        std::size_t got = s.terminal ? read_console(s, handle_of(s.in_fd), data + held, size - held)
                                     : read_bytes(s, data + held, size - held);
        if (got == 0) return held; // the end: a CR held back stays a CR
        std::size_t kept = take_line_breaks(s, data, held + got);
        if (kept > 0) return kept;
        // Only a CR came, held back for its LF: read on.
    }
}

bool write_output(console_state& s, const char* data, std::size_t size) {
    if (s.win.out_console) return write_console(s, handle_of(s.out_fd), std::string_view(data, size));
    // The line breaks are the layer's to write, so the descriptor is binary.
    return write_bytes(s, data, size);
}

bool is_terminal(int fd) {
    DWORD mode = 0;
    HANDLE h = handle_of(fd);
    return h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode) != 0;
}

void open_stdio(console_state& s) {
    s.in_fd = 0;
    s.out_fd = 1;
    ::_setmode(0, _O_BINARY);
    ::_setmode(1, _O_BINARY);
    s.terminal = is_terminal(0);
    s.win.out_console = is_terminal(1);
    s.out_terminal = s.win.out_console;
    // Typed lines come from the console's Unicode interface as UTF-8.
    // Redirected input is Windows-1251 bytes, but a file of answers saved as
    // UTF-8 (as Notepad saves by default) is read line by line as the
    // person typed it.
    s.utf8_lines = !s.terminal;
    // A console shows everything through its Unicode interface, so its
    // character set is UTF-8, whatever the input. Redirected output gets
    // the dialogue's Windows-1251 bytes, typed or not: a pipe carries the
    // same bytes as on any other system.
    s.utf8 = s.terminal || s.win.out_console;
    s.out_cp1251 = !s.win.out_console;
}

void close_stdio(console_state& s) {
    // The start of a character that never got its end still shows, as a
    // replacement character.
    if (s.win.out_console) show(handle_of(s.out_fd), CP_UTF8, s.win.held_text);
    s.win.held_text.clear();
    ::_setmode(0, _O_TEXT);
    ::_setmode(1, _O_TEXT);
}

bool window_closes_at_end(const console_state& s) {
    if (!s.win.out_console) return false;
    // A console shared with cmd or PowerShell stays open after the program;
    // one that only this process uses was made for it and goes with it.
    DWORD processes[2];
    return ::GetConsoleProcessList(processes, 2) == 1;
}

void wait_key(console_state& /*s*/) {
    // A key without a character of its own (an arrow, a function key)
    // comes as two codes: 0 or 0xE0, then the key's. Both are the one key.
    int first = ::_getch();
    if (first == 0 || first == 0xE0) (void)::_getch();
}

} // namespace con::sys
