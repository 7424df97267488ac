#include "sentences.h"

#include "blocks.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace linefind {

namespace {

constexpr std::size_t first_slots = 1024;
constexpr std::size_t text_width = 25;
constexpr std::size_t count_width = 50;

constexpr std::uint64_t word_multiplier = 0x9E3779B97F4A7C15u;

std::uint64_t mix_word(std::uint64_t state, std::uint64_t word) {
    state = (state ^ word) * word_multiplier;
    return state ^ (state >> 29);
}

// The empty slot where a node of this hash belongs.
std::size_t free_slot(const sentence_slot* slots, std::size_t mask, std::size_t hash) {
    std::size_t i = hash & mask;
    while (slots[i].node != nullptr) i = (i + 1) & mask;
    return i;
}

// Zero-filled memory of size bytes, or null. The index and the nodes of a
// long list are read at random places; on huge pages those reads do not also
// miss the address translation cache (10 million sentences, a frequent word:
// 26% less CPU; /usr/bin/time, 3 runs). A node block of 2 MB is one huge page.
void* new_large(std::size_t size) {
    if (size == blk::block_size) {
        void* block = blk::take_block();
        if (block != nullptr) std::memset(block, 0, size);
        return block;
    }
    void* memory = std::calloc(1, size);
    if (memory != nullptr) blk::advise_huge_pages(memory, size);
    return memory;
}

// Frees what new_large(size) gave.
void free_large(void* p, std::size_t size) {
    if (size == blk::block_size) {
        blk::give_block(p);
    } else {
        std::free(p);
    }
}

// False, with the index as it was, when there is no memory for the table.
bool grow(sentence_store& list) {
    std::size_t n = list.slots == nullptr ? first_slots : (list.mask + 1) * 2;
    if (n > SIZE_MAX / sizeof(sentence_slot)) return false;
    auto* slots = static_cast<sentence_slot*>(new_large(n * sizeof(sentence_slot)));
    if (slots == nullptr) return false;
    for (std::size_t i = 0; list.slots != nullptr && i <= list.mask; ++i)
        if (list.slots[i].node != nullptr) slots[free_slot(slots, n - 1, list.slots[i].hash)] = list.slots[i];
    if (list.slots != nullptr) free_large(list.slots, (list.mask + 1) * sizeof(sentence_slot));
    list.slots = slots;
    list.mask = n - 1;
    return true;
}

constexpr std::string_view spaces = "                                                  ";
static_assert(spaces.size() == count_width && text_width <= count_width);

// Writes the spaces that right-align a field of size bytes in width columns.
void pad(con::console& c, std::size_t size, std::size_t width) {
    if (size < width) con::write(c, spaces.substr(0, width - size));
}

// The hash of a text; equal texts have equal hashes.
std::size_t hash_text(std::string_view text) {
    std::uint64_t state = 0x243F6A8885A308D3u;
    const char* data = text.data();
    std::size_t size = text.size();
    for (; size >= sizeof(std::uint64_t); data += sizeof(std::uint64_t), size -= sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, data, sizeof word);
        state = mix_word(state, word);
    }
    if (size > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, data, size);
        state = mix_word(state, word);
    }
    // The size tells apart texts that differ only in zero bytes at the end;
    // the final mixing spreads every bit over the bits the index uses.
    std::uint64_t x = mix_word(state, text.size());
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return static_cast<std::size_t>(x ^ (x >> 31));
}

// The node of text (of hash hash), or null when there is none.
sentence_node* find(const sentence_store& list, std::string_view text, std::size_t hash) {
    if (list.used == 0) return nullptr;
    for (std::size_t i = hash & list.mask; list.slots[i].node != nullptr; i = (i + 1) & list.mask) {
        sentence_node* node = list.slots[i].node;
        if (list.slots[i].hash == hash && node->size == text.size() &&
            (text.empty() || std::memcmp(node + 1, text.data(), text.size()) == 0))
            return node;
    }
    return nullptr;
}

constexpr std::size_t first_block_size = std::size_t{16} * 1024;
constexpr std::size_t most_block_size = blk::block_size;
constexpr std::size_t node_alignment = alignof(sentence_node);
static_assert(sizeof(node_block) % node_alignment == 0 && sizeof(sentence_node) % node_alignment == 0);

// Room for a node of text_size bytes of text, cut from the current block or
// from a new one; null when there is no memory for it. Each block is twice
// as large as the one before, up to two megabytes (huge pages where Linux
// offers them), so a short list takes little memory and a long one few
// blocks; a node larger than that gets a block of its own size. Since a
// block is left only for a node that does not fit, the bytes left unused at
// its end are fewer than those of that node.
sentence_node* new_node(sentence_store& list, std::size_t text_size) {
    constexpr std::size_t most_text = SIZE_MAX - sizeof(node_block) - sizeof(sentence_node) - node_alignment;
    if (text_size > most_text) return nullptr;
    std::size_t bytes = (sizeof(sentence_node) + text_size + node_alignment - 1) & ~(node_alignment - 1);
    if (list.block == nullptr || list.block->size - list.block_used < bytes) {
        std::size_t size =
            list.block == nullptr ? first_block_size : std::min(list.block->size * 2, most_block_size);
        size = std::max(size, sizeof(node_block) + bytes);
        auto* block = static_cast<node_block*>(new_large(size));
        if (block == nullptr) return nullptr;
        block->previous = list.block;
        block->size = size;
        list.block = block;
        list.block_used = sizeof(node_block);
    }
    auto* node = reinterpret_cast<sentence_node*>(reinterpret_cast<char*>(list.block) + list.block_used);
    list.block_used += bytes;
    return node;
}

// Appends a copy of text (of hash hash) with count 1. Without memory for
// it, sets list.out_of_memory and leaves the list as it was.
void append(sentence_store& list, std::string_view text, std::size_t hash) {
    // Half full at most, so a probe meets an empty slot soon.
    if ((list.slots == nullptr || (list.used + 1) * 2 > list.mask + 1) && !grow(list)) {
        list.out_of_memory = true;
        return;
    }
    sentence_node* node = new_node(list, text.size());
    if (node == nullptr) {
        list.out_of_memory = true;
        return;
    }
    node->size = text.size();
    node->count = 1;
    if (!text.empty()) std::memcpy(node + 1, text.data(), text.size());
    list.slots[free_slot(list.slots, list.mask, hash)] = sentence_slot{hash, node};
    ++list.used;
    node->next = list.head == nullptr ? node : list.head;
    if (list.head == nullptr) {
        list.head = node;
    } else {
        list.last->next = node;
    }
    list.last = node;
}

// The width of text in the report: its bytes, or in a UTF-8 text its
// characters (every byte but the continuation bytes 10xxxxxx).
std::size_t width_of(std::string_view text, bool utf8) {
    if (!utf8) return text.size();
    std::size_t continuations = 0;
    for (char ch : text) continuations += (static_cast<unsigned char>(ch) & 0xC0u) == 0x80u ? 1 : 0;
    return text.size() - continuations;
}

} // namespace

sentence_list::~sentence_list() {
    // Every node lives in a block, so the blocks are all there is to free.
    for (node_block* block = store_.block; block != nullptr;) {
        node_block* previous = block->previous;
        free_large(block, block->size);
        block = previous;
    }
    if (store_.slots != nullptr) free_large(store_.slots, (store_.mask + 1) * sizeof(sentence_slot));
}

sentence_list& sentence_list::operator=(sentence_list&& other) noexcept {
    std::swap(store_, other.store_);
    return *this;
}

void sentence_list::batch::add(std::string_view text) {
    if (waiting_size_ == waiting_length) take_oldest();
    std::size_t k = (waiting_first_ + waiting_size_) % waiting_length;
    waiting_[k] = text;
    waiting_hash_[k] = hash_text(text);
    ++waiting_size_;
    if (list_.slots == nullptr) return;
    // Ask for the new sentence's slot now, and for the node of the one
    // halfway along, whose slot has arrived by this time. Both are only
    // hints: a slot may change before its sentence is taken. (10 million
    // sentences, a frequent word: half the user time; /usr/bin/time, 3 runs.)
    __builtin_prefetch(&list_.slots[waiting_hash_[k] & list_.mask]);
    if (waiting_size_ > waiting_length / 2) {
        std::size_t m = (waiting_first_ + waiting_size_ - 1 - waiting_length / 2) % waiting_length;
        const sentence_slot& slot = list_.slots[waiting_hash_[m] & list_.mask];
        if (slot.node != nullptr) __builtin_prefetch(slot.node);
    }
}

sentence_list::batch::~batch() {
    while (waiting_size_ > 0) take_oldest();
}

// Counts the oldest waiting sentence, or appends it when it is new.
void sentence_list::batch::take_oldest() {
    std::size_t k = waiting_first_;
    std::string_view text = waiting_[k];
    std::size_t hash = waiting_hash_[k];
    if (sentence_node* node = find(list_, text, hash)) {
        ++node->count;
    } else {
        append(list_, text, hash);
    }
    waiting_first_ = (k + 1) % waiting_length;
    --waiting_size_;
}

void print_sentences(con::console& c, const sentence_list& list) {
    const sentence_store& store = list.store_;
    const sentence_node* node = store.head;
    if (node == nullptr) return;
    do {
        std::string_view text = sentence_text(*node);
        pad(c, width_of(text, store.utf8), text_width);
        if (store.utf8) {
            con::write_utf8(c, text);
        } else {
            con::write(c, text);
        }
        con::put_int(c, node->count, count_width);
        con::put_char(c, '\n');
        node = node->next;
    } while (node != store.head);
}

std::string_view sentence_text(const sentence_node& node) {
    return {reinterpret_cast<const char*>(&node + 1), node.size};
}

} // namespace linefind
