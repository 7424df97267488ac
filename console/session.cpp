// A console's life: connected to standard input and output, to descriptors
// or to memory, and closed at the end of the run.
#include "state.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace con {

console::console() : state_(std::make_unique<console_state>()) {}
console::~console() = default;

console_state& state_of(console& c) { return *c.state_; }
const console_state& state_of(const console& c) { return *c.state_; }

namespace {

// The console window was opened for this program and closes with it: the
// person is told so, and the window stays until a key is pressed.
void hold_window(console_state& s, std::string_view note) {
    flush_output(s);
    if (s.write_failed) return;
    if (!s.out_line_start) append_output(s, "\n", 1);
    append_output(s, note.data(), note.size());
    flush_output(s);
    if (!s.write_failed) sys::wait_key(s);
}

} // namespace

int run_stdio(const char* program, int (*run)(console&), std::string_view closing_note) {
    int status = 0;
    try {
        console c;
        console_state& s = state_of(c);
        s.program = program;
        sys::open_stdio(s);
        try {
            status = run(c);
        } catch (const std::bad_alloc&) {
            status = out_of_memory(c);
        }
        if (!closing_note.empty() && sys::window_closes_at_end(s)) hold_window(s, closing_note);
        if (close(c) != 0) status = 1;
        sys::close_stdio(s);
    } catch (const std::bad_alloc&) {
        status = 1; // not even the console could be had
    }
    return status;
}

void open_memory(console& c, std::string_view input, std::string& out, charset chars) {
    console_state& s = state_of(c);
    s.in_exhausted = true;
    s.inbuf.assign(input.begin(), input.end());
    s.inbuf_begin = 0;
    s.inbuf_end = s.inbuf.size();
    s.out_str = &out;
    s.utf8 = chars == charset::utf8;
}

void open_descriptors(console& c, int in_fd, int out_fd) {
    console_state& s = state_of(c);
    s.in_fd = in_fd;
    s.out_fd = out_fd;
    s.terminal = sys::is_terminal(in_fd);
    s.out_terminal = sys::is_terminal(out_fd);
}

void report(const console_state& s, const char* what, int error) {
    if (error != 0) {
        std::fprintf(stderr, "%s: %s: %s\n", s.program, what, std::strerror(error));
    } else {
        std::fprintf(stderr, "%s: %s\n", s.program, what);
    }
}

int out_of_memory(console& c) {
    console_state& s = state_of(c);
    if (!s.failed) report(s, "out of memory", 0);
    s.failed = true;
    s.ended = true;
    return 1;
}

int close(console& c) {
    console_state& s = state_of(c);
    flush_output(s);
    // On a terminal the shell's prompt comes next, and it should start a
    // line of its own, not follow the program's last question.
    if (s.out_terminal && !s.out_line_start && !s.write_failed) {
        append_output(s, "\n", 1);
        flush_output(s);
    }
    return s.failed ? 1 : 0;
}

void wait_key(console& c) {
    console_state& s = state_of(c);
    if (!s.terminal || s.ended) return;
    flush_output(s);
    if (!s.ended) sys::wait_key(s);
}

void use_cp1251(console& c) {
    console_state& s = state_of(c);
    s.cp1251 = true;
    s.convert_cp1251 = shows_utf8(s);
}

bool bytes_only(const console& c) {
    const console_state& s = state_of(c);
    return !s.utf8 && !s.utf8_lines;
}

} // namespace con
