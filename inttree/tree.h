// The binary search tree of integers: smaller values hang on the left,
// greater or equal ones on the right, so equal values sit side by side in
// every in-order walk.
#pragma once

#include <cstddef>
#include <cstdint>

namespace inttree {

struct node {
    std::int32_t inf;
    node* left;
    node* right;
};

// A zero-filled node holding value; null when memory is exhausted.
node* new_node(std::int32_t value);
// Gives a node back.
void free_node(node* p);
// Gives back every node there is, at once: for the end of a run, when
// every node belongs to the one tree of the dialogue.
void free_all_nodes();

// Where the last leaf was linked, and the range of values [lo, hi) whose
// descent from the root passes through it. A value in that range takes the
// very same path, so its descent can start there: values typed in sorted
// order then cost O(1) each instead of a walk down the whole chain. Valid
// only while the tree is not changed otherwise; start each batch with {}.
struct descent_hint {
    node* at = nullptr;
    std::int64_t lo = 0;
    std::int64_t hi = 0;
};

// The nodes lie scattered over memory: a descent or a walk fetches the
// grandchildren of every node it comes to ahead of time, so that the node it
// goes on to is on its way before it is needed, whichever way it goes (a
// million random values: 0.51 s of CPU instead of 0.80; /usr/bin/time, 3 runs).
inline void fetch_grandchildren(const node* p) {
    if (p->left != nullptr) {
        __builtin_prefetch(p->left->left);
        __builtin_prefetch(p->left->right);
    }
    if (p->right != nullptr) {
        __builtin_prefetch(p->right->left);
        __builtin_prefetch(p->right->right);
    }
}

// Links fresh (a leaf) below root where the order puts it: left of every node
// whose value is greater, right of every node whose value is less or equal.
void link_leaf(node* root, node* fresh, descent_hint& hint);

// Leaves added one after another, linked in one go when the adding ends.
// One at a time, every leaf walks down from the root through nodes spread
// over memory, some twenty cache misses for a tree of a million. Where a
// batch of leaves ends up depends only on their values and their order of
// adding, so the batch is linked at once instead: sorted by value (equal
// values in the order they came), split among the existing tree's empty
// places by a single walk down it, and below each empty place built as
// adding them in order would have built it: the earliest leaf on top, the
// ones before it in value order to its left, the ones after to its right.
// The tree is the same as link_leaf one after another gives; until
// link, the queued leaves are not yet in it. A million random values take
// 0.32 s of CPU so against 0.72 s linked one at a time (/usr/bin/time, 5 runs).
// Values that only rise, or only fall, each hang below the one before and
// find their place at once through the hint: as long as the values keep
// one direction they are linked at once, and only from the first that
// turns are they queued (a million sorted values: 0.09 s of CPU against
// 0.11 s queued, sorted and built; /usr/bin/time, 7 runs).
class leaf_batch {
public:
    leaf_batch() = default;
    ~leaf_batch();
    leaf_batch(const leaf_batch&) = delete;
    leaf_batch& operator=(const leaf_batch&) = delete;

    // Links fresh (a leaf) below root at once, or queues it; when the queue
    // is full or cannot grow, links the queued ones and then fresh.
    void add(node* root, node* fresh);
    // Links every queued leaf below root and empties the queue.
    void link(node* root);

    // The queue's positions are 32 bits wide where the batch is linked, so
    // add links a queue of this many before it takes another leaf.
    static constexpr std::size_t most_queued = UINT32_MAX;

private:
    node** fresh_ = nullptr; // queued leaves in the order they came
    std::size_t count_ = 0;
    std::size_t room_ = 0;
    descent_hint hint_;     // at the leaf linked last, for leaves linked one at a time
    bool queueing_ = false; // a value has turned: every later one is queued
    int direction_ = 0;     // of the values linked so far: 1 rising, -1 falling, 0 not yet known
};

// The first node holding num on the way down from root, and the node it
// hangs from (root itself when the match is root or a child of it). Both
// are null when no node on the path holds num; root must not be null.
struct found_node {
    node* at;
    node* parent;
};
found_node find_with_parent(node* root, std::int32_t num);

// Unlinks victim, a child of parent whose value differs from the parent's,
// by moving up the subtree on the parent's side and hanging the other one
// below that subtree's extreme node. Links change; victim is not freed.
void unlink_child(node* parent, node* victim);

// Makes the left child of a root with two children the new root: the old
// root's right subtree becomes its right subtree, and its own former right
// subtree hangs left of that subtree's leftmost node. Returns the new root;
// the old root is detached but not freed.
node* raise_left(node* root);

// Makes the right child of a root with two children the new root: the old
// root's left subtree hangs left of the leftmost node of the new root's
// subtree. Returns the new root; the old root is detached but not freed.
node* raise_right(node* root);

} // namespace inttree
