// The console in a web page (a WebAssembly build): the page's script gives
// the input, takes the output and waits for keys. A read that has to wait
// for the person suspends the program until the page has a line, so the
// page stays responsive meanwhile.
//
// The page provides, on the module's object:
//   consoleRead(size)  a promise of up to size bytes of input (a
//                      Uint8Array), empty at the end of input
//   consoleWrite(bytes) shows or keeps output bytes; false when they are lost
//   consoleIsTerminal(fd) true when standard input (0) or output (1) is the
//                      page's terminal rather than a pipe of bytes
//   consoleWaitKey()   a promise fulfilled by one key press, taken without echo
// The character set follows the locale variables, as on POSIX systems; the
// page sets them as its terminal or its caller asks.
#include "state.h"

#include <cerrno>
#include <emscripten.h>

// clang-format off
EM_ASYNC_JS(int, web_read_input, (char* data, int size), {
    const bytes = await Module.consoleRead(size);
    HEAPU8.set(bytes, data);
    return bytes.length;
});

EM_JS(int, web_write_output, (const char* data, int size), {
    return Module.consoleWrite(HEAPU8.slice(data, data + size)) ? 1 : 0;
});

EM_JS(int, web_is_terminal, (int fd), {
    return Module.consoleIsTerminal(fd) ? 1 : 0;
});

EM_ASYNC_JS(void, web_wait_key, (), {
    await Module.consoleWaitKey();
});
// clang-format on

namespace con::sys {

std::size_t read_input(console_state& /*s*/, char* data, std::size_t size) {
    constexpr std::size_t most = std::size_t{1} << 30;
    int got = web_read_input(data, static_cast<int>(size < most ? size : most));
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

bool write_output(console_state& /*s*/, const char* data, std::size_t size) {
    if (size == 0) return true;
    if (web_write_output(data, static_cast<int>(size)) != 0) return true;
    errno = EIO;
    return false;
}

bool is_terminal(int fd) { return web_is_terminal(fd) != 0; }

void open_stdio(console_state& s) {
    s.in_fd = 0;
    s.out_fd = 1;
    s.terminal = is_terminal(0);
    s.out_terminal = is_terminal(1);
    s.utf8 = stdio_utf8(s, locale_name_is_utf8());
}

void close_stdio(console_state& /*s*/) {}

void wait_key(console_state& /*s*/) { web_wait_key(); }

bool window_closes_at_end(const console_state& /*s*/) { return false; }

} // namespace con::sys
