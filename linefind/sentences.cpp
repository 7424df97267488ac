#include "sentences.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#if defined(__linux__)
#include <sys/mman.h> // huge pages for large tables
#endif

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

bool same_text(const sentence_node& node, std::string_view text) {
    return text.empty() || std::memcmp(node.text, text.data(), text.size()) == 0;
}

// The empty slot where a node of this hash belongs.
std::size_t free_slot(const sentence_index& index, std::size_t hash) {
    std::size_t i = hash & index.mask;
    while (index.slots[i].node != nullptr) i = (i + 1) & index.mask;
    return i;
}

// A large table is probed at random places; on huge pages (where Linux
// offers them) those probes do not also miss the address translation cache.
sentence_slot* new_table(std::size_t n) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::size_t huge_page = std::size_t{2} * 1024 * 1024;
    std::size_t bytes = n * sizeof(sentence_slot);
    if (bytes >= huge_page) {
        if (void* p = std::aligned_alloc(huge_page, bytes)) {
            ::madvise(p, bytes, MADV_HUGEPAGE);
            std::memset(p, 0, bytes);
            return static_cast<sentence_slot*>(p);
        }
    }
#endif
    return static_cast<sentence_slot*>(std::calloc(n, sizeof(sentence_slot)));
}

// False, with the index as it was, when there is no memory for the table.
bool grow(sentence_index& index) {
    std::size_t n = index.slots == nullptr ? first_slots : (index.mask + 1) * 2;
    sentence_slot* slots = new_table(n);
    if (slots == nullptr) return false;
    sentence_index bigger{slots, n - 1};
    for (std::size_t i = 0; index.slots != nullptr && i <= index.mask; ++i)
        if (index.slots[i].node != nullptr) slots[free_slot(bigger, index.slots[i].hash)] = index.slots[i];
    std::free(static_cast<void*>(index.slots));
    index.slots = slots;
    index.mask = n - 1;
    return true;
}

constexpr std::string_view spaces = "                                                  ";
static_assert(spaces.size() == count_width && text_width <= count_width);

// Writes the spaces that right-align a field of size bytes in width columns.
void pad(con::console& c, std::size_t size, std::size_t width) {
    if (size < width) con::write(c, spaces.substr(0, width - size));
}

void put_count(con::console& c, std::int64_t count) {
    char digits[24];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, count);
    (void)ec; // 24 characters hold every 64-bit value
    auto len = static_cast<std::size_t>(end - digits);
    pad(c, len, count_width);
    con::write(c, std::string_view(digits, len));
}

// Counts the oldest queued sentence, or appends it when it is new.
sentence_node* take_oldest(sentence_queue& queue, sentence_index& index, sentence_node* head) {
    std::size_t k = queue.first;
    if (count_sentence(index, queue.text[k], queue.hash[k]) == 1)
        head = append_sentence(index, head, queue.text[k], queue.hash[k]);
    queue.first = (k + 1) % sentence_queue::length;
    --queue.size;
    return head;
}

} // namespace

void hash_piece(text_hash& hash, const char* data, std::size_t size) {
    hash.size += size;
    for (; size >= sizeof(std::uint64_t); data += sizeof(std::uint64_t), size -= sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, data, sizeof word);
        hash.state = mix_word(hash.state, word);
    }
    if (size == 0) return;
    std::uint64_t word = 0;
    std::memcpy(&word, data, size);
    hash.state = mix_word(hash.state, word);
}

std::size_t hash_end(const text_hash& hash) {
    // The size tells apart texts that differ only in zero bytes at the end;
    // the final mixing spreads every bit over the bits the index uses.
    std::uint64_t x = mix_word(hash.state, hash.size);
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return static_cast<std::size_t>(x ^ (x >> 31));
}

std::size_t hash_text(std::string_view text) {
    text_hash hash;
    hash_piece(hash, text.data(), text.size());
    return hash_end(hash);
}

sentence_node* new_node(std::size_t size) {
    if (size > SIZE_MAX - sizeof(sentence_node) - 1) return nullptr;
    auto* node = static_cast<sentence_node*>(std::calloc(1, sizeof(sentence_node) + size + 1));
    if (node == nullptr) return nullptr;
    node->text = reinterpret_cast<char*>(node + 1);
    node->size = size;
    node->count = 1;
    return node;
}

sentence_node* append_node(sentence_index& index, sentence_node* head, sentence_node* node,
                           std::size_t hash) {
    // Half full at most, so a probe meets an empty slot soon.
    if ((index.slots == nullptr || (index.used + 1) * 2 > index.mask + 1) && !grow(index)) {
        std::free(node);
        index.out_of_memory = true;
        return head;
    }
    index.slots[free_slot(index, hash)] = sentence_slot{hash, node};
    ++index.used;
    if (head == nullptr) {
        node->next = node;
        index.last = node;
        return node;
    }
    node->next = head;
    index.last->next = node;
    index.last = node;
    return head;
}

int count_sentence(sentence_index& index, std::string_view text, std::size_t hash) {
    sentence_node* node =
        find_node(index, hash, text.size(), [text](const sentence_node& n) { return same_text(n, text); });
    if (node == nullptr) return 1;
    ++node->count;
    return 0;
}

sentence_node* append_sentence(sentence_index& index, sentence_node* head, std::string_view text,
                               std::size_t hash) {
    sentence_node* node = new_node(text.size());
    if (node == nullptr) {
        index.out_of_memory = true;
        return head;
    }
    if (!text.empty()) std::memcpy(node->text, text.data(), text.size());
    return append_node(index, head, node, hash);
}

sentence_node* queue_sentence(sentence_queue& queue, sentence_index& index, sentence_node* head,
                              std::string_view text) {
    if (queue.size == sentence_queue::length) head = take_oldest(queue, index, head);
    std::size_t k = (queue.first + queue.size) % sentence_queue::length;
    queue.text[k] = text;
    queue.hash[k] = hash_text(text);
    ++queue.size;
    if (index.slots == nullptr) return head;
    // Ask for the new sentence's slot now, and for the node of the one
    // halfway along, whose slot has arrived by this time. Both are only
    // hints: a slot may change before its sentence is taken.
    __builtin_prefetch(&index.slots[queue.hash[k] & index.mask]);
    if (queue.size > sentence_queue::length / 2) {
        std::size_t m = (queue.first + queue.size - 1 - sentence_queue::length / 2) % sentence_queue::length;
        const sentence_slot& slot = index.slots[queue.hash[m] & index.mask];
        if (slot.node != nullptr) __builtin_prefetch(slot.node);
    }
    return head;
}

sentence_node* drain_queue(sentence_queue& queue, sentence_index& index, sentence_node* head) {
    while (queue.size > 0) head = take_oldest(queue, index, head);
    return head;
}

void print_sentences(con::console& c, const sentence_node* head) {
    const sentence_node* node = head;
    do {
        pad(c, node->size, text_width);
        con::write(c, std::string_view(node->text, node->size));
        put_count(c, node->count);
        con::put_char(c, '\n');
        node = node->next;
    } while (node != head);
}

void free_sentences(sentence_node* head) {
    sentence_node* node = head->next;
    while (node != head) {
        sentence_node* next = node->next;
        std::free(node);
        node = next;
    }
    std::free(head);
}

void free_index(sentence_index& index) {
    std::free(static_cast<void*>(index.slots));
    index = sentence_index{};
}

} // namespace linefind
