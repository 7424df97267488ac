// The distinct matching sentences of one search: a circular singly linked
// list in the order of first appearance, with a hash index beside it so that
// finding a sentence and appending one do not walk the list. The search
// hands each matching sentence over with add_sentence and, at the end,
// prints the list as the report.
#pragma once

#include "console.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace linefind {

// A node and, right after it, the sentence's bytes. A zero byte read from
// the file is an ordinary character, so size, not a terminating zero, tells
// where the text ends.
struct sentence_node {
    // 64 bits: a file of more than 2^31 equal sentences must not wrap the count.
    std::int64_t count;
    std::size_t size;
    sentence_node* next;
};

// The text kept after the node.
std::string_view sentence_text(const sentence_node& node);

// Nodes are cut from large blocks, one after another, rather than each
// taken from the heap on its own: a search may find millions of distinct
// sentences, and a heap block apiece costs more time and memory than the
// sentences themselves. The blocks are freed together.
struct node_block {
    node_block* previous; // the block filled before this one, or null
    std::size_t size;     // bytes of the block, this header included
};

// One slot of the index. The hash is kept here as well, so that a probe
// reads a node only when the hashes agree.
struct sentence_slot {
    std::size_t hash;
    sentence_node* node;
};

struct sentence_list {
    sentence_node* head = nullptr;  // the first sentence found; null while the list is empty
    sentence_node* last = nullptr;  // the node whose next is the head
    node_block* block = nullptr;    // the block new nodes are cut from, the last one taken
    std::size_t block_used = 0;     // bytes of that block in use, its header included
    sentence_slot* slots = nullptr; // open addressing, linear probing
    std::size_t mask = 0;           // number of slots - 1 (a power of two)
    std::size_t used = 0;
    // The texts are UTF-8, so the report pads them by characters rather
    // than by bytes.
    bool utf8 = false;
    // A node or the table could not be allocated, so a sentence is missing
    // from the list. The list stays whole, to be freed.
    bool out_of_memory = false;

    // Sentences handed over and not yet counted. Each one is counted at a
    // random place of a large table; taking them a few at a time lets those
    // memory reads overlap.
    static constexpr std::size_t waiting_length = 16;
    std::string_view waiting[waiting_length];
    std::size_t waiting_hash[waiting_length] = {};
    std::size_t waiting_first = 0;
    std::size_t waiting_size = 0;
};

// Counts text on the node of an equal text, or appends it at the end of the
// list with count 1. The count may happen later, at a later add_sentence or
// at settle_sentences: until then the text must stay where it is.
void add_sentence(sentence_list& list, std::string_view text);
// Counts every sentence handed over and not yet counted.
void settle_sentences(sentence_list& list);

// One report row per sentence, from the head on; nothing for an empty list.
void print_sentences(con::console& c, const sentence_list& list);
// Frees every node and the index, and leaves the list empty.
void free_sentences(sentence_list& list);

} // namespace linefind
