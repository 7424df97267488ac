#include "sentences.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace linefind {

namespace {

constexpr std::size_t first_slots = 1024;
constexpr int text_width = 25;
constexpr int count_width = 50;

// No message is defined for a failed allocation, and going on without the
// node would print a wrong report, so the program stops.
void* ecalloc(std::size_t n, std::size_t size) {
    void* p = std::calloc(n, size);
    if (p == nullptr) {
        std::fputs("linefind: out of memory\n", stderr);
        std::abort();
    }
    return p;
}

std::size_t hash_text(std::string_view text) { return std::hash<std::string_view>{}(text); }

bool same_text(const sentence_node* node, std::size_t hash, std::string_view text) {
    return node->hash == hash && node->size == text.size() &&
           std::memcmp(node->text, text.data(), text.size()) == 0;
}

// The slot holding text, or the empty slot where it belongs.
std::size_t find_slot(const sentence_index& index, std::size_t hash, std::string_view text) {
    std::size_t i = hash & index.mask;
    while (index.slots[i] != nullptr && !same_text(index.slots[i], hash, text)) i = (i + 1) & index.mask;
    return i;
}

void grow(sentence_index& index) {
    std::size_t n = index.slots == nullptr ? first_slots : (index.mask + 1) * 2;
    auto** slots = static_cast<sentence_node**>(ecalloc(n, sizeof(sentence_node*)));
    for (std::size_t i = 0; index.slots != nullptr && i <= index.mask; ++i) {
        sentence_node* node = index.slots[i];
        if (node == nullptr) continue;
        std::size_t j = node->hash & (n - 1);
        while (slots[j] != nullptr) j = (j + 1) & (n - 1);
        slots[j] = node;
    }
    std::free(static_cast<void*>(index.slots));
    index.slots = slots;
    index.mask = n - 1;
}

void put_count(con::console& c, std::int64_t count) {
    char digits[24];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, count);
    (void)ec; // 24 characters hold every 64-bit value
    auto len = static_cast<std::size_t>(end - digits);
    for (std::size_t pad = len; pad < count_width; ++pad) con::put_char(c, ' ');
    con::write(c, std::string_view(digits, len));
}

} // namespace

int count_sentence(sentence_index& index, std::string_view text) {
    if (index.used == 0) return 1;
    sentence_node* node = index.slots[find_slot(index, hash_text(text), text)];
    if (node == nullptr) return 1;
    ++node->count;
    return 0;
}

sentence_node* append_sentence(sentence_index& index, sentence_node* head, std::string_view text) {
    // Half full at most, so a probe meets an empty slot soon.
    if (index.slots == nullptr || (index.used + 1) * 2 > index.mask + 1) grow(index);
    auto* node = static_cast<sentence_node*>(ecalloc(1, sizeof(sentence_node) + text.size() + 1));
    node->text = reinterpret_cast<char*>(node + 1);
    if (!text.empty()) std::memcpy(node->text, text.data(), text.size());
    node->size = text.size();
    node->hash = hash_text(text);
    node->count = 1;
    index.slots[find_slot(index, node->hash, text)] = node;
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

void print_sentences(con::console& c, const sentence_node* head) {
    const sentence_node* node = head;
    do {
        for (std::size_t pad = node->size; pad < text_width; ++pad) con::put_char(c, ' ');
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
