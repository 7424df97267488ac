// The distinct matching sentences of one search: a circular singly linked
// list in the order of first appearance, with a hash index beside it so that
// finding a sentence and appending one do not walk the list. The search
// hands each matching sentence over through a batch and, at the end,
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

// What a list holds; only the list's own code reaches it.
struct sentence_store {
    sentence_node* head = nullptr;  // the first sentence found; null while the list is empty
    sentence_node* last = nullptr;  // the node whose next is the head
    node_block* block = nullptr;    // the block new nodes are cut from, the last one taken
    std::size_t block_used = 0;     // bytes of that block in use, its header included
    sentence_slot* slots = nullptr; // open addressing, linear probing
    std::size_t mask = 0;           // number of slots - 1 (a power of two)
    std::size_t used = 0;
    bool utf8 = false;
    bool out_of_memory = false;
};

class sentence_list {
public:
    sentence_list() = default;
    ~sentence_list();
    sentence_list(const sentence_list&) = delete;
    sentence_list& operator=(const sentence_list&) = delete;
    // Takes the sentences of other, which is left with those of this list.
    sentence_list& operator=(sentence_list&& other) noexcept;

    // The first sentence found; null while the list is empty.
    [[nodiscard]] sentence_node* head() const { return store_.head; }
    // The texts are UTF-8, so the report pads them by characters rather
    // than by bytes and shows them as UTF-8 text.
    [[nodiscard]] bool utf8() const { return store_.utf8; }
    void set_utf8(bool utf8) { store_.utf8 = utf8; }
    // A node or the index could not be allocated, so a sentence is missing
    // from the list. The list stays whole.
    [[nodiscard]] bool out_of_memory() const { return store_.out_of_memory; }

    class batch;

private:
    sentence_store store_;
    friend void print_sentences(con::console& c, const sentence_list& list);
};

// The way sentences go into a list. Each sentence handed over is counted on
// the node of an equal text, or appended at the end with count 1. Each one
// is counted at a random place of a large table, so they are taken a few at
// a time, which lets those memory reads overlap: a sentence may wait to be
// counted until a later add, and the batch counts all that still wait as it
// ends. So a batch lives in the scope that holds the texts it is given, and
// the texts cannot change or go before they are counted.
class sentence_list::batch {
public:
    explicit batch(sentence_list& list) : list_(list.store_) {}
    ~batch();
    batch(const batch&) = delete;
    batch& operator=(const batch&) = delete;
    batch(batch&&) = delete;
    batch& operator=(batch&&) = delete;

    void add(std::string_view text);

private:
    void take_oldest();

    static constexpr std::size_t waiting_length = 16;
    sentence_store& list_;
    std::string_view waiting_[waiting_length];
    std::size_t waiting_hash_[waiting_length] = {};
    std::size_t waiting_first_ = 0;
    std::size_t waiting_size_ = 0;
};

// One report row per sentence, from the head on; nothing for an empty list.
void print_sentences(con::console& c, const sentence_list& list);

} // namespace linefind
