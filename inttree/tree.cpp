#include "tree.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#if defined(__linux__)
#include <sys/mman.h> // huge pages for the node blocks
#endif
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#endif

namespace inttree {

namespace {

// Nodes are taken from blocks of 2 MB instead of one heap block each: a
// million nodes then sit densely in a dozen blocks which the system can back
// with huge pages, so a descent or a walk through scattered nodes misses the
// address translation cache far less often, and no allocator call is made
// per node. A node is still zero-filled when taken and given back when it is
// deleted; given-back nodes are taken again first. Once every node is given
// back, the blocks go back to the system. Under the address sanitizer a
// given-back node is poisoned, so that a use after its deletion is still
// caught.
constexpr std::size_t block_bytes = std::size_t{2} * 1024 * 1024;

struct block {
    block* next;
};

struct node_pool {
    block* blocks = nullptr;
    node* free_nodes = nullptr; // linked through their right fields
    std::size_t next_in_block = 0;
    std::size_t live = 0;
};

node_pool pool;

constexpr std::size_t first_node = (sizeof(block) + alignof(node) - 1) / alignof(node) * alignof(node);
constexpr std::size_t nodes_per_block = (block_bytes - first_node) / sizeof(node);

bool add_block() {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    void* memory = std::aligned_alloc(block_bytes, block_bytes);
    if (memory != nullptr) ::madvise(memory, block_bytes, MADV_HUGEPAGE);
#else
    void* memory = std::malloc(block_bytes);
#endif
    if (memory == nullptr) return false;
    auto* b = static_cast<block*>(memory);
    b->next = pool.blocks;
    pool.blocks = b;
    pool.next_in_block = 0;
    return true;
}

void release_blocks() {
    while (pool.blocks != nullptr) {
        block* next = pool.blocks->next;
        ASAN_UNPOISON_MEMORY_REGION(pool.blocks, block_bytes);
        std::free(pool.blocks);
        pool.blocks = next;
    }
    pool = node_pool{};
}

node* leftmost(node* p) {
    while (p->left != nullptr) p = p->left;
    return p;
}

node* rightmost(node* p) {
    while (p->right != nullptr) p = p->right;
    return p;
}

} // namespace

node* new_node(std::int32_t value) {
    node* fresh = pool.free_nodes;
    if (fresh != nullptr) {
        ASAN_UNPOISON_MEMORY_REGION(fresh, sizeof(node));
        pool.free_nodes = fresh->right;
    } else {
        if (pool.blocks == nullptr || pool.next_in_block == nodes_per_block) {
            if (!add_block()) return nullptr;
        }
        auto* at = reinterpret_cast<char*>(pool.blocks) + first_node + pool.next_in_block * sizeof(node);
        fresh = reinterpret_cast<node*>(at);
        ++pool.next_in_block;
    }
    ++pool.live;
    *fresh = node{value, nullptr, nullptr};
    return fresh;
}

void free_all_nodes() { release_blocks(); }

void free_node(node* p) {
    p->left = nullptr;
    p->right = pool.free_nodes;
    pool.free_nodes = p;
    ASAN_POISON_MEMORY_REGION(p, sizeof(node));
    if (--pool.live == 0) release_blocks();
}

void link_leaf(node* root, node* fresh, descent_hint& hint) {
    const std::int64_t n = fresh->inf;
    node* p = root;
    std::int64_t lo = INT64_MIN;
    std::int64_t hi = INT64_MAX;
    if (hint.at != nullptr && hint.lo <= n && n < hint.hi) {
        p = hint.at;
        lo = hint.lo;
        hi = hint.hi;
    }
    for (;;) {
        fetch_grandchildren(p);
        node* left = p->left;
        node* right = p->right;
        bool go_left = n < p->inf;
        if (go_left) {
            hi = p->inf;
        } else {
            lo = p->inf;
        }
        node* next = go_left ? left : right;
        if (next == nullptr) {
            (go_left ? p->left : p->right) = fresh;
            hint = {fresh, lo, hi};
            return;
        }
        p = next;
    }
}

found_node find_with_parent(node* root, std::int32_t num) {
    node* parent = root;
    node* p = root;
    while (p->inf != num) {
        node* next = num < p->inf ? p->left : p->right;
        if (next == nullptr) return {nullptr, nullptr};
        parent = p;
        p = next;
    }
    return {p, parent};
}

void unlink_child(node* parent, node* victim) {
    if (victim->inf < parent->inf) {
        if (victim->right != nullptr) {
            parent->left = victim->right;
            leftmost(victim->right)->left = victim->left;
        } else {
            parent->left = victim->left;
        }
    } else {
        if (victim->left != nullptr) {
            parent->right = victim->left;
            rightmost(victim->left)->right = victim->right;
        } else {
            parent->right = victim->right;
        }
    }
    victim->left = nullptr;
    victim->right = nullptr;
}

node* raise_left(node* root) {
    node* top = root->left;
    leftmost(root->right)->left = top->right;
    top->right = root->right;
    root->left = nullptr;
    root->right = nullptr;
    return top;
}

node* raise_right(node* root) {
    node* top = root->right;
    leftmost(top)->left = root->left;
    root->left = nullptr;
    root->right = nullptr;
    return top;
}

} // namespace inttree
