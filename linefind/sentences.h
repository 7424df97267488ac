// The distinct matching sentences of one search: a circular singly linked
// list in the order of first appearance, with a hash index beside it so that
// finding a sentence and appending one do not walk the list.
#pragma once

#include "console.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace linefind {

struct sentence_node {
    // 64 bits: a file of more than 2^31 equal sentences must not wrap the count.
    std::int64_t count;
    // The sentence's bytes, kept in the same heap block right after the node.
    // A zero byte read from the file is an ordinary character, so size, not
    // the terminating zero, tells where the text ends.
    char* text;
    std::size_t size;
    sentence_node* next;
};

// One slot of the index. The hash is kept here as well, so that a probe
// reads a node only when the hashes agree.
struct sentence_slot {
    std::size_t hash;
    sentence_node* node;
};

struct sentence_index {
    sentence_slot* slots = nullptr; // open addressing, linear probing
    std::size_t mask = 0;           // number of slots - 1 (a power of two)
    std::size_t used = 0;
    sentence_node* last = nullptr; // the node whose next is the head
    // A node or the table could not be allocated, so a sentence is missing
    // from the list. The list and the index stay whole, to be freed.
    bool out_of_memory = false;
};

// The hash of a text that may be given in pieces, so that a sentence too
// long to hold can be hashed as it is read: every piece but the last must
// be a multiple of 8 bytes long.
struct text_hash {
    std::uint64_t state = 0x243F6A8885A308D3u;
    std::uint64_t size = 0;
};
void hash_piece(text_hash& hash, const char* data, std::size_t size);
std::size_t hash_end(const text_hash& hash);
std::size_t hash_text(std::string_view text);

// 1 when text (of hash_text hash) is not in the list; 0 when it is, after
// adding 1 to its count.
int count_sentence(sentence_index& index, std::string_view text, std::size_t hash);
// Adds text (of hash_text hash) with count 1 at the end of the list; returns
// the head. Without memory for it, sets index.out_of_memory and leaves the
// list as it was.
sentence_node* append_sentence(sentence_index& index, sentence_node* head, std::string_view text,
                               std::size_t hash);

// A node for a text of size bytes that the caller fills in; null when
// there is no memory for it.
sentence_node* new_node(std::size_t size);
// Adds a filled node with count 1 at the end of the list; returns the head.
// Without memory for the index, frees the node and sets index.out_of_memory.
sentence_node* append_node(sentence_index& index, sentence_node* head, sentence_node* node, std::size_t hash);

// The node of a text known by its hash and size, for which same(node) holds;
// null when there is none.
template <class Same>
sentence_node* find_node(const sentence_index& index, std::size_t hash, std::size_t size, Same same) {
    if (index.used == 0) return nullptr;
    for (std::size_t i = hash & index.mask; index.slots[i].node != nullptr; i = (i + 1) & index.mask) {
        sentence_node* node = index.slots[i].node;
        if (index.slots[i].hash == hash && node->size == size && same(*node)) return node;
    }
    return nullptr;
}
// Matching sentences on their way into the list. Each one is counted at a
// random place of a large table; taking them a few at a time lets those
// memory reads overlap. The texts must stay valid until they are taken.
struct sentence_queue {
    static constexpr std::size_t length = 16;
    std::string_view text[length];
    std::size_t hash[length] = {};
    std::size_t first = 0;
    std::size_t size = 0;
};

// The same as count_sentence, then append_sentence when the text is new,
// done in order, but possibly later: by a later call or by drain_queue.
sentence_node* queue_sentence(sentence_queue& queue, sentence_index& index, sentence_node* head,
                              std::string_view text);
// Takes every queued sentence; returns the head.
sentence_node* drain_queue(sentence_queue& queue, sentence_index& index, sentence_node* head);

// One report row per node, from the head on.
void print_sentences(con::console& c, const sentence_node* head);
// Frees every node of a non-empty list.
void free_sentences(sentence_node* head);
// Frees the index's table and leaves it empty.
void free_index(sentence_index& index);

} // namespace linefind
