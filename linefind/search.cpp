#include "search.h"
#include "blocks.h"
#include "cp1251.h"
#include "file_system.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace linefind {

namespace {

// The first occurrence of str in [from, end), or null, in time linear in
// the bytes even in the worst case, unlike a comparison of the whole string
// at every position: the Knuth-Morris-Pratt search (the standard
// Boyer-Moore searcher takes quadratic time to set up for a long string).
// glibc's memmem instead saved 3% of the instructions of the frequent word
// over 2,500,000 sentences (callgrind: 263 M against 271 M), so it went.
const char* find_bytes(const char* from, const char* end, std::string_view str) {
    std::size_t m = str.size();
    if (static_cast<std::size_t>(end - from) < m) return nullptr;
    if (m == 0) return from;
    // border[i]: the length of the longest proper prefix of str[0, i] that
    // is also its suffix.
    auto* border = static_cast<std::size_t*>(std::malloc(m * sizeof(std::size_t)));
    if (border == nullptr) {
        // No memory for the table: the plain search is slower, not wrong.
        const char* hit = std::search(from, end, str.begin(), str.end());
        return hit == end ? nullptr : hit;
    }
    border[0] = 0;
    for (std::size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && str[i] != str[k]) k = border[k - 1];
        if (str[i] == str[k]) ++k;
        border[i] = k;
    }
    const char* hit = nullptr;
    for (std::size_t k = 0; from < end; ++from) {
        while (k > 0 && *from != str[k]) k = border[k - 1];
        if (*from == str[k]) ++k;
        if (k == m) {
            hit = from + 1 - m;
            break;
        }
    }
    std::free(border);
    return hit;
}

// The last full stop of [from, from + n), or null. (glibc's memrchr is part
// of the 3% above.)
const char* last_full_stop(const char* from, std::size_t n) {
    for (const char* p = from + n; p != from;)
        if (*--p == '.') return p;
    return nullptr;
}

constexpr char end_of_text = 0x1A;

// A UTF-16 text is converted to UTF-8 as it is read, so that it is searched
// and shown as UTF-8 text: a character of two bytes takes up to three.
constexpr std::size_t utf16_growth = 3;

} // namespace

struct text_file::reader {
    int fd = -1;
    char* data = nullptr; // the bytes read and not yet taken as sentences
    std::size_t size = 0;
    std::size_t capacity = 0;
    bool at_end = false;      // end of the text (the file, a read error or the character 0x1A) was met
    bool rereadable = false;  // the bytes of data can be read again at their file offsets
    std::uint64_t offset = 0; // the file offset of data[0] (a rereadable file)
    std::uint64_t file_size = 0;
    bool out_of_memory = false;

    // A UTF-16 text: what comes from the file is converted into data. A
    // byte whose pair has not come yet, and the first half of a surrogate
    // pair whose second half has not.
    bool utf16 = false;
    bool big_endian = false;
    char* raw = nullptr;
    std::size_t raw_capacity = 0;
    int held_byte = -1;
    std::uint32_t held_high = 0;

    reader() = default;
    reader(const reader&) = delete;
    reader& operator=(const reader&) = delete;
    reader(reader&&) = delete;
    reader& operator=(reader&&) = delete;
    ~reader() {
        if (fd >= 0) close_file(fd);
        std::free(data);
        std::free(raw);
    }
};

namespace {

using reader = text_file::reader;

// The character 0x1A ends the text: the bytes of data from data[from] on
// are cut there, and nothing more is read.
void cut_at_end_of_text(reader& f, std::size_t from) {
    const auto* mark = static_cast<const char*>(std::memchr(f.data + from, end_of_text, f.size - from));
    if (mark == nullptr) return;
    f.size = static_cast<std::size_t>(mark - f.data);
    f.at_end = true;
}

// Makes every CR LF pair of data[0, n) one line break, in place; returns the
// new length. A CR LF pair never spans two sentences, so a sentence is
// joined the same way whether it is taken from the buffer or read back from
// the file.
std::size_t join_line_breaks(char* data, std::size_t n) {
    auto* cr = static_cast<char*>(std::memchr(data, '\r', n));
    if (cr == nullptr) return n;
    char* out = cr;
    const char* end = data + n;
    for (const char* in = cr; in < end; ++in) {
        if (*in == '\r' && in + 1 < end && in[1] == '\n') continue;
        *out++ = *in;
    }
    return static_cast<std::size_t>(out - data);
}

// Makes room for at least need more bytes in data. A buffer more than half
// full, which only a file that is not read again leaves, is doubled, so
// that each read takes at least half of it: a sentence longer than a block
// is kept whole, and moving it costs no more than reading it did. False,
// with out_of_memory set, when there is no memory for that.
bool make_room(reader& f, std::size_t need) {
    while (f.size > f.capacity / 2 || f.capacity - f.size < need) {
        auto* bigger =
            f.capacity > SIZE_MAX / 2 ? nullptr : static_cast<char*>(std::realloc(f.data, f.capacity * 2));
        if (bigger == nullptr) {
            f.out_of_memory = true;
            return false;
        }
        f.data = bigger;
        f.capacity *= 2;
    }
    return true;
}

constexpr std::uint32_t replacement = 0xFFFD;

// Converts n UTF-16 bytes to UTF-8 at the end of data, which has room for
// utf16_growth bytes per two bytes and one character more. Half of a
// surrogate pair without its other half becomes U+FFFD.
void convert_utf16(reader& f, const char* bytes, std::size_t n) {
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    char* out = f.data + f.size;
    for (const unsigned char* end = in + n; in < end; ++in) {
        if (f.held_byte < 0) {
            f.held_byte = *in;
            continue;
        }
        auto first = static_cast<std::uint32_t>(f.held_byte);
        std::uint32_t unit = f.big_endian ? (first << 8) | *in : (std::uint32_t{*in} << 8) | first;
        f.held_byte = -1;
        bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (f.held_high != 0) {
            if (low) {
                out = con::put_utf8(out, 0x10000 + ((f.held_high - 0xD800) << 10) + (unit - 0xDC00));
                f.held_high = 0;
                continue;
            }
            out = con::put_utf8(out, replacement);
            f.held_high = 0;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            f.held_high = unit;
        } else {
            out = con::put_utf8(out, low ? replacement : unit);
        }
    }
    f.size = static_cast<std::size_t>(out - f.data);
}

// Appends the next bytes of the file to data: as they are, or those of a
// UTF-16 text converted to UTF-8. A read error ends the text as the end of
// the file does. At the end, half a surrogate pair becomes U+FFFD; a last
// odd byte is no character.
void read_raw(reader& f) {
    if (!make_room(f, f.utf16 ? 2 * utf16_growth + 4 : 1)) return;
    std::size_t room = f.capacity - f.size;
    std::ptrdiff_t got = f.utf16
                             ? read_file(f.fd, f.raw, std::min(f.raw_capacity, (room - 4) / utf16_growth * 2))
                             : read_file(f.fd, f.data + f.size, room);
    if (got <= 0) {
        f.at_end = true;
        if (f.held_high != 0)
            f.size = static_cast<std::size_t>(con::put_utf8(f.data + f.size, replacement) - f.data);
    } else if (f.utf16) {
        convert_utf16(f, f.raw, static_cast<std::size_t>(got));
    } else {
        f.size += static_cast<std::size_t>(got);
    }
}

// Reads the next part of the text after the bytes kept, cut at a character
// 0x1A. out_of_memory is set when there is no memory for it.
void read_more(reader& f) {
    std::size_t from = f.size;
    read_raw(f);
    cut_at_end_of_text(f, from);
}

// Drops the first n bytes of data.
void drop_front(reader& f, std::size_t n) {
    std::memmove(f.data, f.data + n, f.size - n);
    f.size -= n;
    f.offset += n;
}

enum class text_form { bytes, utf8, utf16 };

// Reads the start of the text and takes its byte order mark: the one place
// where a mark is looked at. A UTF-16 text from then on is read converted
// to UTF-8; a UTF-8 mark counts where the console knows characters. The
// bytes read so far are then cut at a character 0x1A, as read_more cuts
// the later ones. Returns the text's form when a mark says it, else bytes
// (nothing decided yet).
text_form take_byte_order_mark(reader& f, bool text_console) {
    while (f.size < 3 && !f.at_end && !f.out_of_memory) read_raw(f);
    if (f.out_of_memory) return text_form::bytes;
    auto mark = [&f](std::string_view bytes) {
        return f.size >= bytes.size() && std::memcmp(f.data, bytes.data(), bytes.size()) == 0;
    };
    text_form form = text_form::bytes;
    if (mark("\xFF\xFE") || mark("\xFE\xFF")) {
        f.utf16 = true;
        f.big_endian = f.data[0] == '\xFE';
        // Converted bytes are not at their file offsets.
        f.rereadable = false;
        // The bytes read so far are the first to convert, into a new buffer.
        f.raw = f.data;
        f.raw_capacity = f.capacity;
        f.data = static_cast<char*>(std::malloc(f.capacity));
        std::size_t n = f.size - 2;
        f.size = 0;
        f.out_of_memory = f.data == nullptr;
        if (f.out_of_memory || !make_room(f, n / 2 * utf16_growth + 4)) return text_form::utf16;
        convert_utf16(f, f.raw + 2, n);
        form = text_form::utf16;
    } else if (text_console && mark("\xEF\xBB\xBF")) {
        drop_front(f, 3);
        form = text_form::utf8;
    }
    cut_at_end_of_text(f, 0);
    return form;
}

// The rule that makes a text without a byte order mark UTF-8, the way text
// editors guess it: its valid sequences of two to four bytes are at least a
// hundred times as many as its stray bytes (those in no valid sequence),
// and there is one at least. Windows-1251 letters seldom pair into valid
// sequences (a capital letter before ё or », say), so Russian text in
// Windows-1251 has far more stray bytes than sequences, while a UTF-8 text
// cut short or with a byte pasted in stays UTF-8. A sequence cut short by
// the end of the text does not count.
constexpr std::uint64_t utf8_margin = 100;

struct utf8_tally {
    std::uint64_t sequences = 0;
    std::uint64_t stray = 0;
};

// Counts what starts at p (n bytes, n > 0): the bytes taken, or 0 for a
// sequence that the n bytes cut short.
std::size_t tally_one(utf8_tally& t, const unsigned char* p, std::size_t n) {
    std::string_view text(reinterpret_cast<const char*>(p), n);
    std::size_t len = con::utf8_sequence(text);
    if (len > 1) ++t.sequences;
    if (len > 0) return len;
    if (con::utf8_cut_short(text)) return 0;
    ++t.stray;
    return 1;
}

// Counts the next n bytes of the text, after those counted before. Returns
// how many bytes at the end it left: a sequence cut short, to be counted
// again with the bytes that follow it.
std::size_t tally(utf8_tally& t, const char* text, std::size_t n) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    // Eight ASCII bytes skipped at a time took more instructions, not fewer
    // (78 M against 60 M, the case below), so they go a byte at a time.
    while (n > 0) {
        if (*p < 0x80) {
            ++p;
            --n;
            continue;
        }
        // A byte that cannot lead a sequence, or one not followed by a
        // continuation byte, is stray: most bytes of Windows-1251 letters.
        // Told here rather than by the decoder: the rare word typed in
        // UTF-8 over 2,500,000 sentences under a UTF-8 locale, 63 M
        // instructions against 72 M for the whole run (callgrind).
        if (n >= 2 && (*p < 0xC2 || *p > 0xF4 || (p[1] & 0xC0u) != 0x80u)) {
            ++t.stray;
            ++p;
            --n;
            continue;
        }
        std::size_t len = tally_one(t, p, n);
        if (len == 0) return n;
        p += len;
        n -= len;
    }
    return 0;
}

bool is_utf8(const utf8_tally& t) { return t.sequences > 0 && t.sequences / utf8_margin >= t.stray; }

// Whether no rest of at most rest bytes can make the text UTF-8: it could
// hold no more than rest / 2 further sequences.
bool never_utf8(const utf8_tally& t, std::uint64_t rest) {
    return (t.sequences + rest / 2 + 1) / utf8_margin < t.stray;
}

// Whether the text of a regular file is UTF-8, read in a pass of its own
// that stops as soon as the rest of the file cannot make it so. A read
// error ends the text here as it ends the search.
bool text_is_utf8(const reader& f) {
    char piece[std::size_t{64} * 1024];
    utf8_tally t;
    std::size_t left = 0; // the bytes the last piece left, moved to the front
    for (std::uint64_t at = 0;;) {
        std::ptrdiff_t got = read_file_at(f.fd, piece + left, sizeof piece - left, at);
        if (got <= 0) break;
        at += static_cast<std::uint64_t>(got);
        std::size_t n = left + static_cast<std::size_t>(got);
        const auto* mark = static_cast<const char*>(std::memchr(piece, end_of_text, n));
        if (mark != nullptr) {
            tally(t, piece, static_cast<std::size_t>(mark - piece));
            break;
        }
        left = tally(t, piece, n);
        std::memmove(piece, piece + n - left, left);
        if (never_utf8(t, f.file_size > at ? f.file_size - at : 0)) return false;
    }
    return is_utf8(t);
}

const char* skip_spaces(const char* p, const char* end) {
    while (p < end && *p == ' ') ++p;
    return p;
}

// Whether the string can occur in a sentence at all: it is not empty (an
// empty needle is a string the text cannot hold), and since a sentence
// holds one full stop, its last character, a full stop in the string can
// only be its last character.
bool can_match(std::string_view str) {
    return !str.empty() && std::memchr(str.data(), '.', str.size() - 1) == nullptr;
}

// One search over the file's sentences: the string in the text's form,
// where its hits go, and the sentence being read whose beginning has left
// the window (a regular file only).
struct searcher {
    string_finder finder;
    sentence_list* list;
    bool start_dropped = false; // the beginning of the sentence being read has left the window
    std::uint64_t start = 0;    // its file offset
    bool matched = false;       // the string occurs in it
};

// Takes every complete sentence of data[0, n), which must end with a full
// stop, and hands those that contain the string to the list.
void collect_sentences(const char* data, std::size_t n, searcher& s) {
    string_finder& finder = s.finder;
    std::string_view str = finder.str;
    // A string with a full stop only at its end, if at all, found in the
    // whole buffer never spans two sentences, which lets the search run over
    // the buffer rather than sentence by sentence.
    if (!can_match(str)) return;
    sentence_list::batch batch(*s.list);
    const char* from = data; // start of the first sentence not yet taken
    const char* end = data + n;
    while (from < end) {
        const char* hit = find_next(finder, from, end);
        if (hit == nullptr) break;
        const auto* dot = static_cast<const char*>(
            std::memchr(hit + str.size() - 1, '.', static_cast<std::size_t>(end - hit) - (str.size() - 1)));
        const char* before = last_full_stop(from, static_cast<std::size_t>(hit - from));
        const char* start = skip_spaces(before == nullptr ? from : before + 1, dot);
        std::string_view sentence(start, static_cast<std::size_t>(dot + 1 - start));
        // The hit may begin in the spaces that are not part of the sentence.
        if (hit >= start || contains(sentence, str)) batch.add(sentence);
        from = dot + 1;
    }
}

// Takes the complete sentences of data[0, taken) for the searches
// s[0, count) and drops them from data.
void take_sentences(reader& f, std::size_t taken, searcher* s, std::size_t count) {
    std::size_t n = join_line_breaks(f.data, taken);
    for (std::size_t k = 0; k < count; ++k) collect_sentences(f.data, n, s[k]);
    drop_front(f, taken);
}

// Makes room in a full window whose bytes, all of them the sentence being
// read, hold no full stop: searches them and keeps only what may begin an
// occurrence that the next bytes complete, nothing once the string is found.
void drop_sentence_start(reader& f, searcher& s) {
    const char* from = f.data;
    const char* end = f.data + f.size;
    if (!s.start_dropped) {
        // Spaces before a sentence are no part of it: a window of spaces
        // alone is dropped whole, with the sentence not yet begun.
        from = skip_spaces(from, end);
        s.start_dropped = from != end;
        s.start = f.offset + static_cast<std::uint64_t>(from - f.data);
        s.matched = false;
    }
    if (!s.matched) s.matched = find_next(s.finder, from, end) != nullptr;
    std::size_t keep =
        s.matched ? 0 : std::min(s.finder.str.size() - 1, static_cast<std::size_t>(end - from));
    drop_front(f, f.size - keep);
}

// Reads the sentence at file offsets [start, end) back from the file and
// hands it to the list when it contains the string: the hit seen in the
// file's bytes may have been a CR that a line break then joined. A read
// error ends the search as the end of the file does.
void add_from_file(reader& f, std::uint64_t start, std::uint64_t end, searcher& s) {
    if (end - start > SIZE_MAX) {
        f.out_of_memory = true;
        return;
    }
    auto size = static_cast<std::size_t>(end - start);
    std::unique_ptr<char, decltype(&std::free)> text(static_cast<char*>(std::malloc(size)), &std::free);
    if (text == nullptr) {
        f.out_of_memory = true;
        return;
    }
    for (std::size_t done = 0; done < size;) {
        std::ptrdiff_t got = read_file_at(f.fd, text.get() + done, size - done, start + done);
        if (got <= 0) {
            // The file has become shorter, or cannot be read.
            f.at_end = true;
            return;
        }
        done += static_cast<std::size_t>(got);
    }
    std::string_view sentence(text.get(), join_line_breaks(text.get(), size));
    if (contains(sentence, s.finder.str)) sentence_list::batch(*s.list).add(sentence);
}

// Ends the long sentence at the full stop dot of the window, counting it
// when it matches.
void end_long_sentence(reader& f, const char* dot, searcher& s) {
    s.start_dropped = false;
    // The window holds the rest of the sentence, and before it only bytes
    // of the sentence.
    if (!s.matched) s.matched = find_next(s.finder, f.data, dot + 1) != nullptr;
    if (!s.matched) return;
    add_from_file(f, s.start, f.offset + static_cast<std::uint64_t>(dot + 1 - f.data), s);
}

// Whether the search ends here: the text ended, or memory ran out.
bool search_ends(reader& f, const searcher* s, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k)
        if (s[k].list->out_of_memory()) f.out_of_memory = true;
    return f.out_of_memory || f.at_end;
}

// The search of a regular file, whose form is decided: sentences are taken
// from a window of fixed size, and one that outgrows it is read back from
// the file when it matches.
void search_regular(reader& f, searcher& s) {
    // A string that occurs in no sentence needs no reading.
    if (!can_match(s.finder.str)) return;
    // The window keeps up to str.size() - 1 bytes of a long sentence, and
    // each read must still add a good part of it.
    std::size_t least = 4 * s.finder.str.size();
    if (f.capacity < least && !make_room(f, least)) return;
    std::size_t searched = 0; // bytes of data known to hold no full stop
    for (;;) {
        if (s.start_dropped) {
            const auto* dot =
                static_cast<const char*>(std::memchr(f.data + searched, '.', f.size - searched));
            if (dot != nullptr) {
                end_long_sentence(f, dot, s);
                drop_front(f, static_cast<std::size_t>(dot + 1 - f.data));
                searched = 0;
                continue;
            }
        } else if (const char* last = last_full_stop(f.data + searched, f.size - searched)) {
            take_sentences(f, static_cast<std::size_t>(last + 1 - f.data), &s, 1);
        }
        if (search_ends(f, &s, 1)) return;
        if (f.size > f.capacity / 2) drop_sentence_start(f, s);
        searched = f.size;
        read_more(f);
    }
}

// The search of a text read once (a pipe, a UTF-16 text): the buffer keeps
// the whole sentence being read. Where tally is given the text's form is
// not decided yet, and it counts every byte read, for the searches s[0, count)
// to be told apart at the end.
void search_stream(reader& f, searcher* s, std::size_t count, utf8_tally* t) {
    std::size_t searched = 0; // bytes of data known to hold no full stop
    for (;;) {
        // A sequence cut short, which the tally leaves, holds no full stop.
        std::size_t left = t == nullptr ? 0 : tally(*t, f.data + searched, f.size - searched);
        if (const char* last = last_full_stop(f.data + searched, f.size - searched))
            take_sentences(f, static_cast<std::size_t>(last + 1 - f.data), s, count);
        if (search_ends(f, s, count)) return;
        searched = f.size - left;
        read_more(f);
    }
}

// The string as the searched text holds it; empty when the text cannot
// hold it. The console's conversions write one '?' for each character they
// cannot convert, so a conversion is exact when it adds no '?'.
std::string string_in(text_form form, typed_string str) {
    auto exact = [str](const std::string& converted) {
        auto marks = [](std::string_view text) { return std::count(text.begin(), text.end(), '?'); };
        return marks(converted) == marks(str.text) ? converted : std::string();
    };
    if (form == text_form::bytes)
        return str.utf8 ? exact(con::utf8_to_cp1251(str.text)) : std::string(str.text);
    return str.utf8 ? std::string(str.text) : exact(con::cp1251_to_utf8(str.text));
}

} // namespace

bool contains(std::string_view sentence, std::string_view str) {
    return str.empty() || find_bytes(sentence.data(), sentence.data() + sentence.size(), str) != nullptr;
}

const char* find_next(string_finder& finder, const char* from, const char* end) {
    // A false candidate costs a call and a compare, about as much as the linear
    // search takes to scan this many bytes.
    constexpr std::ptrdiff_t candidate_cost = 64;
    constexpr std::ptrdiff_t most_credit = 1 << 20;
    std::string_view str = finder.str;
    const char* p = from;
    while (!finder.linear_only) {
        if (static_cast<std::size_t>(end - p) < str.size()) return nullptr;
        const char* limit = end - (str.size() - 1);
        const char* hit =
            str.size() == 1
                ? static_cast<const char*>(std::memchr(p, str[0], static_cast<std::size_t>(limit - p)))
                : blk::find_byte_pair(p, limit, str[0], str.size() - 1, str.back());
        const char* passed = hit == nullptr ? end : hit;
        finder.credit = std::min(finder.credit + (passed - p), most_credit);
        if (hit == nullptr) return nullptr;
        if (str.size() <= 2 || std::memcmp(hit + 1, str.data() + 1, str.size() - 2) == 0) return hit;
        finder.credit -= candidate_cost + static_cast<std::ptrdiff_t>(str.size());
        if (finder.credit < 0) finder.linear_only = true;
        p = hit + 1;
    }
    return find_bytes(p, end, str);
}

text_file::text_file() = default;
text_file::~text_file() = default;

bool text_file::open(const std::string& name, std::size_t block) {
    reader_.reset();
    // A zero byte would cut the name short and open some other file.
    if (name.find('\0') != std::string::npos) return false;
    opened_file opened = open_file(name);
    if (opened.fd < 0) return false;
    reader_ = std::make_unique<reader>();
    reader& f = *reader_;
    f.fd = opened.fd;
    f.rereadable = opened.rereadable;
    f.file_size = opened.size;
    f.capacity = std::max<std::size_t>(block, 2);
    f.data = static_cast<char*>(std::malloc(f.capacity));
    std::ptrdiff_t got = f.data == nullptr ? -1 : read_file(f.fd, f.data, f.capacity);
    if (got < 0) {
        f.out_of_memory = f.data == nullptr;
        close_file(f.fd);
        f.fd = -1;
        return false;
    }
    f.size = static_cast<std::size_t>(got);
    f.at_end = got == 0;
    return true;
}

bool text_file::out_of_memory() const { return reader_ != nullptr && reader_->out_of_memory; }

bool text_file::is_open() const { return reader_ != nullptr && reader_->fd >= 0; }

void search(text_file& file, typed_string str, sentence_list& list) {
    reader& f = *file.reader_;
    text_form form = take_byte_order_mark(f, str.utf8);
    if (f.out_of_memory) return;
    if (form == text_form::bytes && str.utf8 && f.rereadable && text_is_utf8(f)) form = text_form::utf8;
    std::string wanted = string_in(form, str);
    if (f.rereadable || form != text_form::bytes || !str.utf8) {
        // The form is known: one search.
        list.set_utf8(form != text_form::bytes);
        searcher s{string_finder{wanted}, &list};
        if (f.rereadable) {
            search_regular(f, s);
        } else {
            search_stream(f, &s, 1, nullptr);
        }
        return;
    }
    // A text read once, searched both ways while it is decided: as
    // Windows-1251 into list and as UTF-8 into utf8_list, one search where
    // the string is the same both ways.
    std::string utf8_wanted = string_in(text_form::utf8, str);
    sentence_list utf8_list;
    searcher s[2] = {{string_finder{wanted}, &list}, {string_finder{utf8_wanted}, &utf8_list}};
    utf8_tally t;
    search_stream(f, s, wanted == utf8_wanted ? 1 : 2, &t);
    if (!is_utf8(t)) return;
    if (wanted != utf8_wanted) list = std::move(utf8_list);
    list.set_utf8(true);
}

} // namespace linefind
