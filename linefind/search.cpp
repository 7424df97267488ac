#include "search.h"
#include "cp1251.h"
#include "file_system.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace linefind {

namespace {

// The first occurrence of str in [from, end), or null, in time linear in
// the bytes even in the worst case, unlike a comparison of the whole string
// at every position: glibc's memmem, or elsewhere the Knuth-Morris-Pratt
// search (the standard Boyer-Moore searcher takes quadratic time to set up
// for a long string).
const char* find_bytes(const char* from, const char* end, std::string_view str) {
    std::size_t m = str.size();
    if (static_cast<std::size_t>(end - from) < m) return nullptr;
#ifdef __GLIBC__
    return static_cast<const char*>(::memmem(from, static_cast<std::size_t>(end - from), str.data(), m));
#else
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
#endif
}

// The first position of [p, limit) that may begin an occurrence of str: its
// byte is the first of str, and the byte str.size() - 1 further on is the
// last of str. The text must hold those further bytes. Sixteen positions at
// a time where the processor compares sixteen bytes at once; elsewhere
// memchr finds the first byte.
const char* next_candidate(const char* p, const char* limit, std::string_view str) {
    if (str.size() == 1)
        return static_cast<const char*>(std::memchr(p, str[0], static_cast<std::size_t>(limit - p)));
    std::size_t gap = str.size() - 1;
    char first = str[0];
    char last = str[gap];
#if defined(__SSE2__)
    const __m128i firsts = _mm_set1_epi8(first);
    const __m128i lasts = _mm_set1_epi8(last);
    for (; limit - p >= 16; p += 16) {
        __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i there = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + gap));
        auto both = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, firsts), _mm_cmpeq_epi8(there, lasts))));
        if (both != 0) return p + std::countr_zero(both);
    }
    for (; p < limit; ++p)
        if (p[0] == first && p[gap] == last) return p;
    return nullptr;
#else
    for (;;) {
        p = static_cast<const char*>(std::memchr(p, first, static_cast<std::size_t>(limit - p)));
        if (p == nullptr || p[gap] == last) return p;
        ++p;
    }
#endif
}

// The last full stop of [from, from + n), or null.
const char* last_full_stop(const char* from, std::size_t n) {
#ifdef __GLIBC__
    return static_cast<const char*>(::memrchr(from, '.', n));
#else
    for (const char* p = from + n; p != from;)
        if (*--p == '.') return p;
    return nullptr;
#endif
}

constexpr char end_of_text = 0x1A;

// The byte 0x1A ends the text: the bytes read from data[from] on are cut
// there, and nothing more is read.
void cut_at_end_of_text(text_file& file, std::size_t from) {
    const auto* mark = static_cast<const char*>(std::memchr(file.data + from, end_of_text, file.size - from));
    if (mark == nullptr) return;
    file.size = static_cast<std::size_t>(mark - file.data);
    file.at_end = true;
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

// Reads the next bytes of the file after the kept ones. A buffer more than
// half full, which only a file that cannot be read again leaves, is doubled
// first, so that each read takes at least half of it: a sentence longer than
// a block is kept whole, and moving it costs no more than reading it did.
// False when there is no memory for that.
bool read_more(text_file& file) {
    if (file.size > file.capacity / 2) {
        auto* bigger = static_cast<char*>(std::realloc(file.data, file.capacity * 2));
        if (bigger == nullptr) return false;
        file.data = bigger;
        file.capacity *= 2;
    }
    std::ptrdiff_t got = read_file(file.fd, file.data + file.size, file.capacity - file.size);
    if (got > 0) {
        std::size_t from = file.size;
        file.size += static_cast<std::size_t>(got);
        cut_at_end_of_text(file, from);
    } else {
        // A read error ends the sentences as the end of the file does.
        file.at_end = true;
    }
    return true;
}

// Drops the first n bytes of the buffer.
void take(text_file& file, std::size_t n) {
    std::memmove(file.data, file.data + n, file.size - n);
    file.size -= n;
    file.offset += n;
}

const char* skip_spaces(const char* p, const char* end) {
    while (p < end && *p == ' ') ++p;
    return p;
}

// Whether the string can occur in a sentence at all: it is not empty, and
// since a sentence holds one full stop, its last character, a full stop in
// the string can only be its last character.
bool can_match(std::string_view str) {
    return !str.empty() && std::memchr(str.data(), '.', str.size() - 1) == nullptr;
}

// Whether bytes that may still be UTF-8 are, so far; a sequence cut at the
// end of one piece is completed by the next.
struct utf8_check {
    bool valid = true;
    unsigned char held[4] = {};
    std::size_t held_size = 0;
};

void check_utf8(utf8_check& check, const char* p, std::size_t n) {
    if (!check.valid) return;
    if (check.held_size > 0) {
        std::size_t added = std::min(n, sizeof check.held - check.held_size);
        std::memcpy(check.held + check.held_size, p, added);
        std::size_t have = check.held_size + added;
        std::size_t len =
            con::utf8_sequence(std::string_view(reinterpret_cast<const char*>(check.held), have));
        if (len == 0) {
            // Still short of a whole sequence only when this piece ended.
            check.held_size = have;
            check.valid = added == n && have < sizeof check.held;
            return;
        }
        // The held bytes were no whole sequence, so this one ends past them.
        p += len - check.held_size;
        n -= len - check.held_size;
        check.held_size = 0;
    }
    constexpr std::uint64_t high_bits = 0x8080808080808080u;
    while (n > 0) {
        std::uint64_t word = 0;
        if (n >= sizeof word) {
            std::memcpy(&word, p, sizeof word);
            if ((word & high_bits) == 0) {
                p += sizeof word;
                n -= sizeof word;
                continue;
            }
        }
        std::size_t len = con::utf8_sequence(std::string_view(p, n));
        if (len == 0) {
            if (n >= sizeof check.held) {
                check.valid = false;
            } else {
                std::memcpy(check.held, p, n);
                check.held_size = n;
            }
            return;
        }
        p += len;
        n -= len;
    }
}

// The text ended: a sequence still cut short is no UTF-8.
bool utf8_at_end(const utf8_check& check) { return check.valid && check.held_size == 0; }

bool starts_with_byte_order_mark(const char* data, std::size_t n) {
    return n >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0;
}

// One search over the file's sentences: the string, where its hits go, and
// the sentence being read whose beginning has left the window (a regular
// file only).
struct searcher {
    string_finder finder;
    sentence_list* list;
    bool open = false;       // a sentence is being read whose beginning has left the window
    std::uint64_t start = 0; // its file offset
    bool matched = false;    // the string occurs in it
    bool skip_mark = false;  // the next sentence starts the text: a byte order mark before it is dropped
};

// Takes every complete sentence of data[0, n), which must end with a full
// stop, and hands those that contain the string to the list.
void collect_sentences(const char* data, std::size_t n, searcher& s) {
    if (s.skip_mark) {
        s.skip_mark = false;
        if (starts_with_byte_order_mark(data, n)) {
            data += 3;
            n -= 3;
        }
    }
    string_finder& finder = s.finder;
    std::string_view str = finder.str;
    // A string with a full stop only at its end, if at all, found in the
    // whole buffer never spans two sentences, which lets the search run over
    // the buffer rather than sentence by sentence.
    if (!can_match(str)) return;
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
        if (hit >= start || contains(sentence, str)) add_sentence(*s.list, sentence);
        from = dot + 1;
    }
    settle_sentences(*s.list);
}

// Makes room in a full window whose bytes, all of them the sentence being
// read, hold no full stop: searches them and keeps only what may begin an
// occurrence that the next bytes complete, nothing once the string is found.
void drop_sentence_start(text_file& file, searcher& s) {
    const char* from = file.data;
    const char* end = file.data + file.size;
    if (!s.open) {
        // Spaces before a sentence are no part of it.
        from = skip_spaces(from, end);
        if (from == end) {
            take(file, file.size);
            return;
        }
        s.open = true;
        s.start = file.offset + static_cast<std::uint64_t>(from - file.data);
        s.matched = false;
    }
    if (!can_match(s.finder.str)) {
        take(file, file.size);
        return;
    }
    if (!s.matched) s.matched = find_next(s.finder, from, end) != nullptr;
    std::size_t keep =
        s.matched ? 0 : std::min(s.finder.str.size() - 1, static_cast<std::size_t>(end - from));
    take(file, file.size - keep);
}

// Reads the sentence at file offsets [start, end) back from the file and
// hands it to the list when it contains the string: the hit seen in the
// file's bytes may have been a CR that a line break then joined. A read
// error ends the search as the end of the file does.
void add_from_file(text_file& file, std::uint64_t start, std::uint64_t end, searcher& s) {
    if (end - start > SIZE_MAX) {
        s.list->out_of_memory = true;
        return;
    }
    auto size = static_cast<std::size_t>(end - start);
    auto* text = static_cast<char*>(std::malloc(size));
    if (text == nullptr) {
        s.list->out_of_memory = true;
        return;
    }
    for (std::size_t done = 0; done < size;) {
        std::ptrdiff_t got = read_file_at(file.fd, text + done, size - done, start + done);
        if (got <= 0) {
            // The file has become shorter, or cannot be read.
            std::free(text);
            file.at_end = true;
            return;
        }
        done += static_cast<std::size_t>(got);
    }
    std::string_view sentence(text, join_line_breaks(text, size));
    if (contains(sentence, s.finder.str)) {
        add_sentence(*s.list, sentence);
        settle_sentences(*s.list);
    }
    std::free(text);
}

// Ends the long sentence at the full stop dot of the window, counting it
// when it matches.
void end_long_sentence(text_file& file, const char* dot, searcher& s) {
    s.open = false;
    // The window holds the rest of the sentence, and before it only bytes
    // of the sentence.
    if (!s.matched && can_match(s.finder.str)) s.matched = find_next(s.finder, file.data, dot + 1) != nullptr;
    if (!s.matched) return;
    add_from_file(file, s.start, file.offset + static_cast<std::uint64_t>(dot + 1 - file.data), s);
}

// Reads the rest of the file as sentences for the searches s[0, count): a
// regular file for one search, anything else for one or two. With check,
// every byte of the text is checked as UTF-8, and once it is not, the
// search s[1] (the UTF-8 one) is freed and left.
void run_searches(text_file& file, searcher* s, std::size_t count, utf8_check* check) {
    // The window keeps up to str.size() - 1 bytes of a long sentence, and
    // each read must still add a good part of it.
    std::size_t str_size = s[0].finder.str.size();
    if (file.rereadable && file.capacity < 4 * str_size) {
        auto* wider = static_cast<char*>(std::realloc(file.data, 4 * str_size));
        if (wider == nullptr) {
            file.out_of_memory = true;
            return;
        }
        file.data = wider;
        file.capacity = 4 * str_size;
    }
    std::size_t searched = 0; // bytes of data known to hold no full stop
    std::size_t checked = 0;  // bytes of data checked as UTF-8
    for (;;) {
        if (check != nullptr) {
            check_utf8(*check, file.data + checked, file.size - checked);
            checked = file.size;
            if (!check->valid && count == 2) {
                free_sentences(*s[1].list);
                count = 1;
            }
        }
        if (s[0].open) {
            const auto* dot =
                static_cast<const char*>(std::memchr(file.data + searched, '.', file.size - searched));
            if (dot != nullptr) {
                end_long_sentence(file, dot, s[0]);
                auto taken = static_cast<std::size_t>(dot + 1 - file.data);
                take(file, taken);
                checked -= std::min(checked, taken);
                searched = 0;
                continue;
            }
        } else {
            const char* last = last_full_stop(file.data + searched, file.size - searched);
            if (last != nullptr) {
                auto taken = static_cast<std::size_t>(last + 1 - file.data);
                std::size_t n = join_line_breaks(file.data, taken);
                for (std::size_t k = 0; k < count; ++k) collect_sentences(file.data, n, s[k]);
                take(file, taken);
                checked -= std::min(checked, taken);
            }
        }
        for (std::size_t k = 0; k < count; ++k)
            if (s[k].list->out_of_memory) file.out_of_memory = true;
        if (file.out_of_memory || file.at_end) return;
        if (file.rereadable && file.size > file.capacity / 2) drop_sentence_start(file, s[0]);
        searched = file.size;
        if (!read_more(file)) {
            file.out_of_memory = true;
            return;
        }
    }
}

// Whether the text of a regular file is UTF-8 throughout, read in a pass of
// its own. A read error ends the text here as it ends the search.
bool text_is_utf8(const text_file& file) {
    char piece[std::size_t{64} * 1024];
    utf8_check check;
    for (std::uint64_t at = 0; check.valid;) {
        std::ptrdiff_t got = read_file_at(file.fd, piece, sizeof piece, at);
        if (got <= 0) break;
        auto n = static_cast<std::size_t>(got);
        const auto* mark = static_cast<const char*>(std::memchr(piece, end_of_text, n));
        check_utf8(check, piece, mark == nullptr ? n : static_cast<std::size_t>(mark - piece));
        if (mark != nullptr) break;
        at += n;
    }
    return utf8_at_end(check);
}

} // namespace

bool contains(std::string_view sentence, std::string_view str) {
    if (str.size() > sentence.size()) return false;
    if (str.empty()) return true;
    return find_bytes(sentence.data(), sentence.data() + sentence.size(), str) != nullptr;
}

bool open_text_file(text_file& file, const std::string& name, std::size_t block) {
    file = text_file{};
    // A zero byte would cut the name short and open some other file.
    if (name.find('\0') != std::string::npos) return false;
    opened_file opened = open_file(name);
    if (opened.fd < 0) return false;
    file.fd = opened.fd;
    file.rereadable = opened.rereadable;
    file.capacity = block < 2 ? 2 : block;
    file.data = static_cast<char*>(std::malloc(file.capacity));
    if (file.data == nullptr) {
        close_text_file(file);
        file.out_of_memory = true;
        return false;
    }
    std::ptrdiff_t got = read_file(file.fd, file.data, file.capacity);
    if (got < 0) {
        close_text_file(file);
        return false;
    }
    file.size = static_cast<std::size_t>(got);
    file.at_end = got == 0;
    cut_at_end_of_text(file, 0);
    return true;
}

void close_text_file(text_file& file) {
    if (file.fd >= 0) close_file(file.fd);
    std::free(file.data);
    file = text_file{};
}

const char* find_next(string_finder& finder, const char* from, const char* end) {
    // A false candidate costs a call and a compare, about as much as memmem
    // takes to scan this many bytes.
    constexpr std::ptrdiff_t candidate_cost = 64;
    constexpr std::ptrdiff_t most_credit = 1 << 20;
    std::string_view str = finder.str;
    const char* p = from;
    while (!finder.use_memmem) {
        if (static_cast<std::size_t>(end - p) < str.size()) return nullptr;
        const char* hit = next_candidate(p, end - (str.size() - 1), str);
        const char* passed = hit == nullptr ? end : hit;
        finder.credit = std::min(finder.credit + (passed - p), most_credit);
        if (hit == nullptr) return nullptr;
        if (str.size() <= 2 || std::memcmp(hit + 1, str.data() + 1, str.size() - 2) == 0) return hit;
        finder.credit -= candidate_cost + static_cast<std::ptrdiff_t>(str.size());
        if (finder.credit < 0) finder.use_memmem = true;
        p = hit + 1;
    }
    return find_bytes(p, end, str);
}

void search_file(text_file& file, std::string_view str, sentence_list& list) {
    searcher s{string_finder{str}, &list};
    run_searches(file, &s, 1, nullptr);
}

void search_either_encoding(text_file& file, std::string_view cp1251_str, std::string_view utf8_str,
                            sentence_list& list) {
    if (file.rereadable) {
        bool utf8 = text_is_utf8(file);
        list.utf8 = utf8;
        searcher s{string_finder{utf8 ? utf8_str : cp1251_str}, &list};
        s.skip_mark = utf8;
        if (utf8) {
            // The mark may be longer than what the first read gave.
            while (file.size < 3 && !file.at_end)
                if (!read_more(file)) {
                    file.out_of_memory = true;
                    return;
                }
            if (starts_with_byte_order_mark(file.data, file.size)) take(file, 3);
            s.skip_mark = false;
        }
        run_searches(file, &s, 1, nullptr);
        return;
    }
    // Read once: both searches run until the text is known not to be UTF-8.
    sentence_list utf8_list;
    utf8_list.utf8 = true;
    searcher s[2] = {{string_finder{cp1251_str}, &list}, {string_finder{utf8_str}, &utf8_list}};
    s[1].skip_mark = true;
    utf8_check check;
    run_searches(file, s, 2, &check);
    if (file.out_of_memory || !utf8_at_end(check)) {
        free_sentences(utf8_list);
        return;
    }
    free_sentences(list);
    list = utf8_list;
}

} // namespace linefind
