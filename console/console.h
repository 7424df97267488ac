// The console of a dialogue: typed-line input, discard, integer and
// character reads, the key wait and buffered output.
//
// Input is a sequence of typed lines. A read takes characters from the
// current line only; when that is used up, the console flushes standard
// output and takes the next line, exactly as a person typing one line after
// another would be seen, whatever the input really is (terminal, pipe, file
// or a string in memory).
//
// End of input: a read that needs a character when none is left reports the
// end and ends the dialogue. From then on every read reports the end again
// and nothing more is written, so a dialogue only has to release what it
// holds and return. Output that cannot be written ends the dialogue the same
// way, after one message on standard error, and the run's status becomes 1.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace con {

struct console_state;

class console {
public:
    console();
    ~console();
    console(const console&) = delete;
    console& operator=(const console&) = delete;
    console(console&&) = delete;
    console& operator=(console&&) = delete;

private:
    std::unique_ptr<console_state> state_;
    friend console_state& state_of(console& c);
    friend const console_state& state_of(const console& c);
};

// A program's main: runs its dialogue on standard input and output and
// returns the exit status. program names it in messages on standard error.
// closing_note, in the program's own encoding, is shown on Windows where the
// console window was opened for the program alone and closes as it ends: the
// line says that a key closes the window, and the program waits for one.
int run_stdio(const char* program, int (*run)(console&), std::string_view closing_note = {});

// Memory ran out where the dialogue has no message of its own: says so in
// one line on standard error and ends the dialogue. Returns the run's exit
// status, 1. run_stdio does the same for memory that runs out anywhere.
int out_of_memory(console& c);

// The character set of the console: every byte a character, or UTF-8 (as
// under a UTF-8 locale).
enum class charset { bytes, utf8 };
// Connects the console to a string of typed input; output is appended to
// out.
void open_memory(console& c, std::string_view input, std::string& out, charset chars = charset::bytes);
// Connects the console to file descriptors (a pipe, a terminal).
void open_descriptors(console& c, int in_fd, int out_fd);
// Flushes what is still buffered and, on a terminal, ends a last line left
// without its line break. Returns the run's exit status: 1 when output could
// not be written or memory ran out, else 0.
int close(console& c);

// Output. Nothing is written once the dialogue has ended.
void write(console& c, std::string_view text);
void put_char(console& c, char ch);
// Writes value right-aligned in width columns, as printf("%*d") does.
void put_int(console& c, std::int64_t value, int width = 0);
// Formats value as put_int writes it into out, which has room for
// width + 20 characters; returns the end.
char* format_int(char* out, std::int64_t value, int width = 0);
// Room for up to `size` bytes (at most output_room_most) at the end of the
// buffered output, to be written straight into; flushes the buffer first
// when it has less room left. The bytes written there count once handed
// over with commit_output(c, end), end just after the last one; they are
// converted as write converts them. Nothing else may be written between.
inline constexpr std::size_t output_room_most = std::size_t{64} * 1024;
char* reserve_output(console& c, std::size_t size);
void commit_output(console& c, const char* end);
// A listing of many short pieces written straight into the console's buffer,
// a run of room at a time: a million values take a few hundred calls, not
// millions. Nothing else may be written between a room() and done().
struct output_run {
    static constexpr std::size_t run = 4096;
    explicit output_run(console& console) : c(console) {}
    // Makes room for size more bytes at `at` (at most run): hands over what
    // is written and takes fresh room when fewer are left. Inline, since it
    // runs once per value (maxcut 750x750: 187 M instructions against 208 M
    // out of line; callgrind).
    void room(std::size_t size) {
        if (static_cast<std::size_t>(end - at) < size) take_room();
    }
    // Hands over what is written; a later room() takes fresh room.
    void done();
    console& c;
    void take_room();
    char* at = nullptr;
    char* end = nullptr;
};
// Writes the buffered output to its destination.
void flush(console& c);

inline constexpr int end_of_input = -1;

// Reads one character of the current line (0..255), waiting for a new
// line when it is used up; end_of_input at the end of input.
int read_char(console& c);
// Reads one character as the person typed it: one byte, or under a UTF-8
// locale (without the Windows-1251 conversion) a whole valid UTF-8
// sequence. The view holds its bytes until the next read; it is empty at
// the end of input.
std::string_view read_typed_char(console& c);
// Up to `most` (at least 1) characters read as read_typed_char reads them one
// by one, taken in one go from the current line: they stop at its end, its
// line break included, and a new line is waited for only when the current
// one is used up. text holds their bytes until the next read; chars is 0 at
// the end of input.
struct typed_run {
    std::string_view text;
    std::size_t chars = 0;
    std::size_t last = 0; // where the last character starts in text
};
typed_run read_typed_chars(console& c, std::size_t most);

// How read_text treats a line: the bytes as they came in (a file name is
// opened as the person typed it), converted to Windows-1251 like every
// other read, or as UTF-8 text whatever form it came in (a line of
// Windows-1251 bytes converted to UTF-8, a UTF-8 line as it came); and
// whether a last line cut off by the end of input counts.
enum class text_form { converted, as_typed, utf8 };
enum class line_end { optional, required };
// Reads the rest of the typed line up to its line break, which is taken but
// not stored. False at end of input; with line_end::required also on a
// last line without a line break, which then ends the dialogue.
bool read_text(console& c, std::string& text, text_form form = text_form::converted,
               line_end end = line_end::optional);

// What an integer read gives: a value, nothing converted (the dialogue
// asks again), or the end of input.
enum class got { value, retry, end };
// Reads an integer as scanf("%d") does (width > 0: as "%<width>d"); value is
// stored only with got::value. Out-of-range numbers wrap modulo 2^32.
got read_int(console& c, std::int32_t& value, int width = 0);

// read_int without a wait, for many numbers typed ahead: where read_int
// (width 0) would give a value without waiting for input, gives the same
// value and takes the same characters; otherwise false, with nothing taken
// but blanks, and read_int then does what it does. Writes nothing, so a
// prompt can stay in the room of reserve_output meanwhile: maxcut's
// 1500×1500 elements take 650 million instructions instead of 1,160 million
// with ask_int for each (callgrind).
bool read_int_ahead(console& c, std::int32_t& value);

// For readers that take many values from typed lines at once: the rest of
// the current line, after taking the next line when the current one is
// used up and the next one has already come in. Never waits, so never
// flushes output; empty when a read would have to wait, or has ended.
// Bytes read from the view are taken with take_typed.
std::string_view typed_ahead(console& c);
// Takes n bytes (at most the view's size) of what typed_ahead showed.
void take_typed(console& c, std::size_t n);

// The validated prompt of the dialogues: prompt (when not empty) before
// every attempt, and after an answer that is not a number or lies outside
// [min, max] the error text and a discard of the rest of the line.
struct int_question {
    std::string_view prompt = {};
    std::string_view error = {};
    std::int32_t min = INT32_MIN;
    std::int32_t max = INT32_MAX;
    int width = 0;
};
// Asks until an answer is accepted; false at end of input.
bool ask_int(console& c, const int_question& q, std::int32_t& value);

// Drops the rest of the current line with its line break. Never waits.
void discard(console& c);
// On a terminal: waits for one key press without echo and takes that key
// only (a key that sends several bytes counts as one); what is typed after
// it stays for the next reads. Otherwise returns at once. The current line
// is left as it is.
void wait_key(console& c);
// True once the dialogue has ended (end of input or failed output).
bool ended(const console& c);
// What is typed and not yet read: the rest of the current line and the
// input already taken in after it.
std::string unread(const console& c);

// The code-page switch of the Windows-1251 programs: from now on output is
// converted from Windows-1251 and typed lines to Windows-1251 when the
// console's character set is UTF-8; otherwise bytes pass through unchanged.
void use_cp1251(console& c);
// True when the console passes bytes through unchanged, with no character
// set of its own (a POSIX locale other than UTF-8); false where typed lines
// may be UTF-8 text (a UTF-8 locale, and Windows, whose console and files of
// answers may be either).
bool bytes_only(const console& c);
// Writes UTF-8 text in the console's character set: as it stands where
// output is UTF-8, otherwise converted to Windows-1251 as a typed line is (a
// character that Windows-1251 lacks becomes '?'). For the programs that keep
// their texts in Windows-1251 (use_cp1251).
void write_utf8(console& c, std::string_view text);

} // namespace con
