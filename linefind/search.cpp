#include "search.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace linefind {

namespace {

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
    for (;;) {
        ssize_t got = ::read(file.fd, file.data + file.size, file.capacity - file.size);
        if (got > 0) {
            file.size += static_cast<std::size_t>(got);
            return true;
        }
        if (got < 0 && errno == EINTR) continue;
        // A read error ends the sentences as the end of the file does.
        file.at_end = true;
        return true;
    }
}

// Reads size bytes at offset; false on a read error or when the file has
// become shorter.
bool read_at(int fd, char* to, std::size_t size, std::uint64_t offset) {
    while (size > 0) {
        ssize_t got = ::pread(fd, to, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        to += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
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

// The sentence being read whose beginning has left the window.
struct long_sentence {
    bool open = false;
    std::uint64_t start = 0; // file offset of its first character
    bool matched = false;    // the string occurs in it
};

// Whether the string can occur in a sentence at all: it is not empty, and
// since a sentence holds one full stop, its last character, a full stop in
// the string can only be its last character.
bool can_match(std::string_view str) {
    return !str.empty() && std::memchr(str.data(), '.', str.size() - 1) == nullptr;
}

// Makes room in a full window whose bytes, all of them the sentence being
// read, hold no full stop: searches them and keeps only what may begin an
// occurrence that the next bytes complete, nothing once the string is found.
void drop_sentence_start(text_file& file, long_sentence& sentence, string_finder& finder) {
    const char* from = file.data;
    const char* end = file.data + file.size;
    if (!sentence.open) {
        // Spaces before a sentence are no part of it.
        from = skip_spaces(from, end);
        if (from == end) {
            take(file, file.size);
            return;
        }
        sentence = {true, file.offset + static_cast<std::uint64_t>(from - file.data), false};
    }
    if (!can_match(finder.str)) {
        take(file, file.size);
        return;
    }
    if (!sentence.matched) sentence.matched = find_next(finder, from, end) != nullptr;
    std::size_t keep =
        sentence.matched ? 0 : std::min(finder.str.size() - 1, static_cast<std::size_t>(end - from));
    take(file, file.size - keep);
}

// Whether the node holds the size bytes of the file at offset, compared a
// piece at a time.
bool same_as_file(const sentence_node& node, int fd, std::uint64_t offset, char* piece,
                  std::size_t piece_size) {
    for (std::size_t done = 0; done < node.size;) {
        std::size_t n = std::min(piece_size, node.size - done);
        if (!read_at(fd, piece, n, offset + done) || std::memcmp(node.text + done, piece, n) != 0)
            return false;
        done += n;
    }
    return true;
}

// Counts or adds a matching sentence that is in the file only, reading it
// back: once to hash it, once to compare it with a node of the same hash,
// and, when it is new, into its node. A read error ends the search as the
// end of the file does.
sentence_node* add_from_file(text_file& file, std::uint64_t start, std::uint64_t end, sentence_index& index,
                             sentence_node* head) {
    if (end - start > SIZE_MAX) {
        index.out_of_memory = true;
        return head;
    }
    auto size = static_cast<std::size_t>(end - start);
    char piece[std::size_t{64} * 1024]; // a multiple of 8, as hash_piece needs
    text_hash hash;
    for (std::size_t done = 0; done < size;) {
        std::size_t n = std::min(sizeof piece, size - done);
        if (!read_at(file.fd, piece, n, start + done)) {
            file.at_end = true;
            return head;
        }
        hash_piece(hash, piece, n);
        done += n;
    }
    std::size_t h = hash_end(hash);
    sentence_node* same = find_node(index, h, size, [&](const sentence_node& node) {
        return same_as_file(node, file.fd, start, piece, sizeof piece);
    });
    if (same != nullptr) {
        ++same->count;
        return head;
    }
    sentence_node* node = new_node(size);
    if (node == nullptr) {
        index.out_of_memory = true;
        return head;
    }
    if (!read_at(file.fd, node->text, size, start)) {
        std::free(node);
        file.at_end = true;
        return head;
    }
    return append_node(index, head, node, h);
}

// Ends the long sentence at the full stop dot of the window, counting it
// when it matches.
sentence_node* end_long_sentence(text_file& file, long_sentence& sentence, const char* dot,
                                 string_finder& finder, sentence_index& index, sentence_node* head) {
    sentence.open = false;
    // The window holds the rest of the sentence, and before it only bytes
    // of the sentence.
    if (!sentence.matched && can_match(finder.str))
        sentence.matched = find_next(finder, file.data, dot + 1) != nullptr;
    if (!sentence.matched) return head;
    return add_from_file(file, sentence.start, file.offset + static_cast<std::uint64_t>(dot + 1 - file.data),
                         index, head);
}

} // namespace

bool contains(std::string_view sentence, std::string_view str) {
    if (str.size() > sentence.size()) return false;
    if (str.empty()) return true;
    // glibc's memmem stays linear in the worst case, unlike a comparison of
    // the whole string at every position.
    return ::memmem(sentence.data(), sentence.size(), str.data(), str.size()) != nullptr;
}

bool open_text_file(text_file& file, const std::string& name, std::size_t block) {
    file = text_file{};
    // A zero byte would cut the name short and open some other file.
    if (name.find('\0') != std::string::npos) return false;
    int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    file.fd = fd;
    file.rereadable = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    file.capacity = block < 2 ? 2 : block;
    file.data = static_cast<char*>(std::malloc(file.capacity));
    if (file.data == nullptr) {
        close_text_file(file);
        file.out_of_memory = true;
        return false;
    }
    for (;;) {
        ssize_t got = ::read(fd, file.data, file.capacity);
        if (got >= 0) {
            file.size = static_cast<std::size_t>(got);
            file.at_end = got == 0;
            return true;
        }
        if (errno != EINTR) break;
    }
    close_text_file(file);
    return false;
}

void close_text_file(text_file& file) {
    if (file.fd >= 0) ::close(file.fd);
    std::free(file.data);
    file = text_file{};
}

const char* find_next(string_finder& finder, const char* from, const char* end) {
    // A false candidate costs a memchr call and a compare, about as much as
    // memmem takes to scan this many bytes.
    constexpr std::ptrdiff_t candidate_cost = 64;
    constexpr std::ptrdiff_t most_credit = 1 << 20;
    std::string_view str = finder.str;
    const char* p = from;
    while (!finder.use_memmem) {
        if (static_cast<std::size_t>(end - p) < str.size()) return nullptr;
        const auto* hit = static_cast<const char*>(
            std::memchr(p, str[0], static_cast<std::size_t>(end - p) - (str.size() - 1)));
        const char* passed = hit == nullptr ? end : hit;
        finder.credit = std::min(finder.credit + (passed - p), most_credit);
        if (hit == nullptr) return nullptr;
        if (std::memcmp(hit + 1, str.data() + 1, str.size() - 1) == 0) return hit;
        finder.credit -= candidate_cost + static_cast<std::ptrdiff_t>(str.size());
        if (finder.credit < 0) finder.use_memmem = true;
        p = hit + 1;
    }
    if (static_cast<std::size_t>(end - p) < str.size()) return nullptr;
    return static_cast<const char*>(::memmem(p, static_cast<std::size_t>(end - p), str.data(), str.size()));
}

sentence_node* collect_sentences(const char* data, std::size_t n, string_finder& finder,
                                 sentence_index& index, sentence_node* head) {
    std::string_view str = finder.str;
    // A string with a full stop only at its end, if at all, found in the
    // whole buffer never spans two sentences, which lets the search run over
    // the buffer rather than sentence by sentence.
    if (!can_match(str)) return head;
    sentence_queue queue;
    const char* from = data; // start of the first sentence not yet taken
    const char* end = data + n;
    while (from < end) {
        const char* hit = find_next(finder, from, end);
        if (hit == nullptr) break;
        const auto* dot = static_cast<const char*>(
            std::memchr(hit + str.size() - 1, '.', static_cast<std::size_t>(end - hit) - (str.size() - 1)));
        const auto* before =
            static_cast<const char*>(memrchr(from, '.', static_cast<std::size_t>(hit - from)));
        const char* start = skip_spaces(before == nullptr ? from : before + 1, dot);
        std::string_view sentence(start, static_cast<std::size_t>(dot + 1 - start));
        // The hit may begin in the spaces that are not part of the sentence.
        if (hit >= start || contains(sentence, str)) head = queue_sentence(queue, index, head, sentence);
        from = dot + 1;
    }
    return drain_queue(queue, index, head);
}

sentence_node* search_file(text_file& file, std::string_view str, sentence_index& index,
                           sentence_node* head) {
    string_finder finder{str};
    long_sentence sentence;
    // The window keeps up to str.size() - 1 bytes of a long sentence, and
    // each read must still add a good part of it.
    if (file.rereadable && file.capacity < 4 * str.size()) {
        auto* wider = static_cast<char*>(std::realloc(file.data, 4 * str.size()));
        if (wider == nullptr) {
            file.out_of_memory = true;
            return head;
        }
        file.data = wider;
        file.capacity = 4 * str.size();
    }
    std::size_t searched = 0; // bytes of data known to hold no full stop
    for (;;) {
        if (sentence.open) {
            const auto* dot =
                static_cast<const char*>(std::memchr(file.data + searched, '.', file.size - searched));
            if (dot != nullptr) {
                head = end_long_sentence(file, sentence, dot, finder, index, head);
                take(file, static_cast<std::size_t>(dot + 1 - file.data));
                searched = 0;
                continue;
            }
        } else {
            const auto* last =
                static_cast<const char*>(memrchr(file.data + searched, '.', file.size - searched));
            if (last != nullptr) {
                auto taken = static_cast<std::size_t>(last + 1 - file.data);
                head = collect_sentences(file.data, taken, finder, index, head);
                take(file, taken);
            }
        }
        if (index.out_of_memory) {
            file.out_of_memory = true;
            return head;
        }
        if (file.at_end) return head;
        if (file.rereadable && file.size > file.capacity / 2) drop_sentence_start(file, sentence, finder);
        searched = file.size;
        if (!read_more(file)) {
            file.out_of_memory = true;
            return head;
        }
    }
}

} // namespace linefind
