#include "ring.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>
#if defined(__linux__)
#include <sys/mman.h> // huge pages for the soldier blocks
#endif
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif

namespace countout {

namespace {

constexpr std::string_view invalid_value = "Vvedeno nevernoe znachenie!\nPovtorite vvod: ";
constexpr std::string_view empty_name = "Vvedite inf v stroky!!!\n\t";
constexpr std::string_view out_of_memory = "\nnet svobodnoy pamjati\n";

// Soldiers are cut from blocks of 2 MB: the count jumps across the whole
// ring, and fewer, denser pages mean fewer misses of the address
// translation cache. The room of a given-back soldier is not taken again
// until every soldier is given back: soldiers are only made while a ring is
// built and only given back while it is counted out or released, so the
// blocks never hold more than the largest ring, and giving a soldier back
// does not touch its record, which for a soldier who left a large ring long
// ago would mean waiting for memory. Under the address sanitizer a
// given-back soldier is poisoned, so that a use after it left the ring is
// still caught.
constexpr std::size_t block_bytes = std::size_t{2} * 1024 * 1024;
constexpr std::size_t soldiers_per_block = block_bytes / sizeof(soldier);

struct free_block {
    void operator()(soldier* block) const { std::free(block); }
};

// A block aligned to its size where the system can back it with one huge
// page; null when memory runs out.
soldier* new_block() {
    void* memory = nullptr;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    memory = std::aligned_alloc(block_bytes, block_bytes);
    if (memory != nullptr) (void)::madvise(memory, block_bytes, MADV_HUGEPAGE);
#else
    memory = std::malloc(block_bytes);
#endif
    return static_cast<soldier*>(memory);
}

struct soldier_pool {
    std::vector<std::unique_ptr<soldier[], free_block>> blocks;
    std::size_t next_in_block = soldiers_per_block; // the last block is full
    std::size_t live = 0;
};

soldier_pool pool;

void mark_given_back([[maybe_unused]] soldier* s, [[maybe_unused]] std::size_t count) {
#ifdef ASAN_POISON_MEMORY_REGION
    ASAN_POISON_MEMORY_REGION(s, count * sizeof(soldier));
#endif
}

void mark_usable([[maybe_unused]] soldier* s, [[maybe_unused]] std::size_t count) {
#ifdef ASAN_UNPOISON_MEMORY_REGION
    ASAN_UNPOISON_MEMORY_REGION(s, count * sizeof(soldier));
#endif
}

} // namespace

soldier* new_soldier() {
    if (pool.next_in_block == soldiers_per_block) {
        std::unique_ptr<soldier[], free_block> block(new_block());
        if (block == nullptr) return nullptr;
        try {
            pool.blocks.push_back(std::move(block));
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        pool.next_in_block = 0;
    }
    ++pool.live;
    return &pool.blocks.back()[pool.next_in_block++];
}

void free_soldier(soldier* s) {
    mark_given_back(s, 1);
    if (--pool.live > 0) return;
    for (auto& block : pool.blocks) mark_usable(block.get(), soldiers_per_block);
    pool = soldier_pool{};
}

std::int32_t read_up_to(con::console& c, std::int32_t value, std::int32_t most) {
    for (;;) {
        // Whether anything converted does not matter: the value decides.
        if (con::read_int(c, value) == con::got::end) return 0;
        if (value >= 1 && value <= most) return value;
        con::write(c, invalid_value);
        con::discard(c);
    }
}

std::int32_t read_positive(con::console& c, std::int32_t value) { return read_up_to(c, value, INT32_MAX); }

namespace {

// The common case of read_name at once: a line already typed whose first
// characters, up to the 9th or the line break, are all ASCII, so that each
// is one byte in every character set. Copies them into s.name and returns
// how many were taken; 0, with nothing taken, when the characters must be
// read one at a time.
std::size_t take_plain_name(con::console& c, soldier& s) {
    constexpr auto most = static_cast<std::size_t>(name_chars - 1);
    std::string_view line = con::typed_ahead(c);
    std::size_t n = 0;
    while (n < most && n < line.size() && static_cast<unsigned char>(line[n]) < 0x80) {
        if (line[n++] == '\n') break;
    }
    if (n == 0 || (n < most && line[n - 1] != '\n')) return 0;
    line.copy(s.name, n);
    con::take_typed(c, n);
    return n;
}

} // namespace

bool read_name(con::console& c, soldier& s) {
    for (;;) {
        std::size_t at = 0;
        std::size_t last = 0; // where the last character taken starts
        int budget = name_chars;
        con::discard(c);
        if (std::size_t taken = take_plain_name(c, s); taken > 0) {
            last = taken - 1;
            budget = 0;
        }
        while (--budget > 0) {
            std::string_view ch = con::read_typed_char(c);
            if (ch.empty()) return false;
            last = at;
            ch.copy(s.name + at, ch.size());
            at += ch.size();
            if (ch == "\n") break;
        }
        // The last character taken gives way to the terminator: the line
        // break of a short line, or the 9th character of a long one.
        s.name[last] = '\0';
        if (s.name[0] != '\0') return true;
        con::write(c, empty_name);
    }
}

soldier* build_ring(con::console& c, std::int32_t count) {
    con::write(c, "\nImena soldat:\n");
    soldier* head = nullptr;
    soldier* last = nullptr;
    // 64 bits, so that the loop also ends for the largest count.
    for (std::int64_t number = 1; number <= count; ++number) {
        soldier* s = new_soldier();
        if (s == nullptr) {
            con::write(c, out_of_memory);
        } else {
            con::put_int(c, static_cast<std::int32_t>(number));
            con::put_char(c, '\t');
        }
        if (s == nullptr || !read_name(c, *s)) {
            if (s != nullptr) free_soldier(s);
            if (head != nullptr) {
                last->next = head;
                head->prev = last;
                free_ring(head);
            }
            return nullptr;
        }
        if (head == nullptr) {
            head = s;
        } else {
            last->next = s;
            s->prev = last;
        }
        last = s;
    }
    if (head == nullptr) return nullptr;
    last->next = head;
    head->prev = last;
    return head;
}

void print_ring(con::console& c, const soldier* head) {
    // Lines are put together in a block of their own and handed over whole:
    // a million soldiers take a few hundred calls, not millions.
    constexpr std::size_t block_size = std::size_t{64} * 1024;
    constexpr std::size_t widest = 1 + 20 + 1 + sizeof head->name; // "\n", number, tab, name
    char text[block_size];
    std::size_t used = 0;
    std::int32_t number = 1;
    const soldier* s = head;
    for (;;) {
        if (block_size - used < widest) {
            con::write(c, std::string_view(text, used));
            used = 0;
        }
        char* out = text + used;
        *out++ = '\n';
        out = con::format_int(out, number);
        *out++ = '\t';
        std::size_t len = std::strlen(s->name);
        std::memcpy(out, s->name, len);
        used = static_cast<std::size_t>(out + len - text);
        s = s->next;
        if (s == head) break;
        ++number;
    }
    con::write(c, std::string_view(text, used));
}

soldier* step_dir(soldier* s, char direction) { return direction == 'l' ? s->prev : s->next; }

void free_ring(soldier* s) {
    soldier* at = s->next;
    while (at != s) {
        soldier* next = at->next;
        free_soldier(at);
        at = next;
    }
    free_soldier(s);
}

} // namespace countout
