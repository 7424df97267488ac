#include "search.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace linefind {

namespace {

void* erealloc(void* p, std::size_t size) {
    void* q = std::realloc(p, size);
    if (q == nullptr) {
        std::fputs("linefind: out of memory\n", stderr);
        std::abort();
    }
    return q;
}

// Reads more of the file after the kept bytes, growing the buffer so that
// each read takes at least half of it: a sentence longer than a block is
// kept whole, and moving it costs no more than reading it did.
void read_more(text_file& file) {
    if (file.size > file.capacity / 2) {
        file.capacity *= 2;
        file.data = static_cast<char*>(erealloc(file.data, file.capacity));
    }
    for (;;) {
        ssize_t got = ::read(file.fd, file.data + file.size, file.capacity - file.size);
        if (got > 0) {
            file.size += static_cast<std::size_t>(got);
            return;
        }
        if (got < 0 && errno == EINTR) continue;
        // A read error ends the sentences as the end of the file does.
        file.at_end = true;
        return;
    }
}

const char* skip_spaces(const char* p, const char* end) {
    while (p < end && *p == ' ') ++p;
    return p;
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
    file.fd = fd;
    file.capacity = block < 2 ? 2 : block;
    file.data = static_cast<char*>(erealloc(nullptr, file.capacity));
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
    // A sentence holds one full stop, its last character; a string with a
    // full stop anywhere else is in no sentence. Without one, an occurrence
    // found in the whole buffer never spans two sentences, which lets the
    // search run over the buffer rather than sentence by sentence.
    if (str.empty() || std::memchr(str.data(), '.', str.size() - 1) != nullptr) return head;
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
    std::size_t searched = 0; // bytes of data known to hold no full stop
    for (;;) {
        const auto* last = static_cast<const char*>(memrchr(file.data + searched, '.', file.size - searched));
        if (last != nullptr) {
            auto taken = static_cast<std::size_t>(last + 1 - file.data);
            head = collect_sentences(file.data, taken, finder, index, head);
            std::memmove(file.data, file.data + taken, file.size - taken);
            file.size -= taken;
        }
        searched = file.size;
        if (file.at_end) return head;
        read_more(file);
    }
}

} // namespace linefind
