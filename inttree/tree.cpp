#include "tree.h"

#include "blocks.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace inttree {

namespace {

// Nodes are cut from blocks of 2 MB rather than taken from the heap one by
// one: a million nodes then lie densely on huge pages, so a descent through
// scattered nodes misses the address translation cache less often (a million
// random values: 24% less CPU than a heap block per node, and the huge pages
// 21% less again; /usr/bin/time, 4 runs each).
blk::pool nodes(sizeof(node), alignof(node));

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
    auto* fresh = static_cast<node*>(nodes.take());
    if (fresh != nullptr) *fresh = node{value, nullptr, nullptr};
    return fresh;
}

void free_node(node* p) { nodes.give_back(p); }

void free_all_nodes() { nodes.give_back_all(); }

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
        const bool go_left = n < p->inf;
        (go_left ? hi : lo) = p->inf;
        node*& next = go_left ? p->left : p->right;
        if (next == nullptr) {
            next = fresh;
            hint = {fresh, lo, hi};
            return;
        }
        p = next;
    }
}

namespace {

// A batch this small is linked one leaf at a time.
constexpr std::size_t small_batch = 64;

std::uint32_t ordered_value(std::int32_t v) { return static_cast<std::uint32_t>(v) ^ 0x80000000u; }

// key: the value as an unsigned number of the same order, above the leaf's
// place in the queue.
std::uint64_t batch_key(const node* p, std::size_t i) {
    return (std::uint64_t{ordered_value(p->inf)} << 32) | i;
}

// Sorts keys by their top 32 bits, a byte at a time from the lowest; each
// pass keeps the order of equal bytes, so equal values stay in the order
// they came. Passes that would move nothing are left out.
void sort_keys(std::uint64_t* keys, std::uint64_t* scratch, std::size_t n) {
    for (unsigned shift = 32; shift < 64; shift += 8) {
        std::size_t start[257] = {};
        for (std::size_t i = 0; i < n; ++i) ++start[((keys[i] >> shift) & 0xff) + 1];
        if (start[((keys[0] >> shift) & 0xff) + 1] == n) continue;
        for (std::size_t b = 1; b < 257; ++b) start[b] += start[b - 1];
        for (std::size_t i = 0; i < n; ++i) scratch[start[(keys[i] >> shift) & 0xff]++] = keys[i];
        std::memcpy(keys, scratch, n * sizeof *keys);
    }
}

// The subtree that adding the leaves of keys[lo, hi) in their order of
// coming gives: the earliest on top, a Cartesian tree by time over the
// value order, built with a stack of the right spine.
node* build_subtree(node* const* fresh, const std::uint64_t* keys, std::size_t lo, std::size_t hi,
                    std::uint64_t* spine) {
    std::size_t depth = 0;
    for (std::size_t k = lo; k < hi; ++k) {
        auto t = static_cast<std::uint32_t>(keys[k]);
        node* last = nullptr;
        while (depth > 0 && spine[depth - 1] > t) last = fresh[spine[--depth]];
        fresh[t]->left = last;
        if (depth > 0) fresh[spine[depth - 1]]->right = fresh[t];
        spine[depth++] = t;
    }
    return fresh[spine[0]];
}

// The first place in keys[lo, hi) whose value is not below v.
std::size_t first_not_below(const std::uint64_t* keys, std::size_t lo, std::size_t hi, std::int32_t v) {
    return static_cast<std::size_t>(
        std::lower_bound(keys + lo, keys + hi, std::uint64_t{ordered_value(v)} << 32) - keys);
}

} // namespace

leaf_batch::~leaf_batch() { std::free(static_cast<void*>(fresh_)); }

void leaf_batch::add(node* root, node* fresh) {
    if (!queueing_) {
        const std::int32_t v = fresh->inf;
        const int turn = hint_.at == nullptr || v == hint_.at->inf ? 0 : v > hint_.at->inf ? 1 : -1;
        if (direction_ == 0 || turn == 0 || turn == direction_) {
            if (direction_ == 0) direction_ = turn;
            link_leaf(root, fresh, hint_);
            return;
        }
        queueing_ = true;
    }
    if (count_ == room_) {
        std::size_t room = room_ == 0 ? 1024 : std::min(room_ * 2, most_queued);
        node** bigger = nullptr;
        if (room > room_) {
            // A table of pointers to nodes, not of nodes.
            // NOLINTNEXTLINE(bugprone-sizeof-expression)
            bigger = static_cast<node**>(std::realloc(static_cast<void*>(fresh_), room * sizeof(node*)));
        }
        if (bigger == nullptr) {
            link(root);
            link_leaf(root, fresh, hint_);
            return;
        }
        fresh_ = bigger;
        room_ = room;
    }
    fresh_[count_++] = fresh;
}

namespace {

// Hangs the sorted leaves below the existing tree: one walk down it, each
// empty place taking the subtree of the leaves whose values lead there.
void place_batch(node* root, node* const* fresh, std::size_t count, const std::uint64_t* keys,
                 std::uint64_t* spine) {
    struct place {
        node* at;
        std::uint32_t lo;
        std::uint32_t hi;
    };
    std::vector<place> pending;
    pending.push_back({root, 0, static_cast<std::uint32_t>(count)});
    while (!pending.empty()) {
        place p = pending.back();
        pending.pop_back();
        std::size_t split = first_not_below(keys, p.lo, p.hi, p.at->inf);
        if (split > p.lo) {
            if (p.at->left == nullptr) {
                p.at->left = build_subtree(fresh, keys, p.lo, split, spine);
            } else {
                pending.push_back({p.at->left, p.lo, static_cast<std::uint32_t>(split)});
            }
        }
        if (split < p.hi) {
            if (p.at->right == nullptr) {
                p.at->right = build_subtree(fresh, keys, split, p.hi, spine);
            } else {
                pending.push_back({p.at->right, static_cast<std::uint32_t>(split), p.hi});
            }
        }
    }
}

} // namespace

void leaf_batch::link(node* root) {
    std::size_t n = count_;
    std::uint64_t* keys = nullptr;
    std::uint64_t* scratch = nullptr;
    if (n > small_batch) {
        keys = static_cast<std::uint64_t*>(std::malloc(n * sizeof *keys));
        scratch = static_cast<std::uint64_t*>(std::malloc(n * sizeof *scratch));
    }
    if (keys != nullptr && scratch != nullptr) {
        for (std::size_t i = 0; i < n; ++i) keys[i] = batch_key(fresh_[i], i);
        sort_keys(keys, scratch, n);
        // The sort's scratch then holds the stack of the right spine.
        place_batch(root, fresh_, n, keys, scratch);
    } else {
        for (std::size_t i = 0; i < n; ++i) link_leaf(root, fresh_[i], hint_);
    }
    std::free(keys);
    std::free(scratch);
    count_ = 0; // the table stays for the next leaves
    hint_ = {};
    queueing_ = false;
    direction_ = 0;
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
