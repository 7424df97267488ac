// Trees built for the tests, with every node kept at hand so that links can
// be checked node by node after an operation.
#pragma once

#include "tree.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace inttree_test {

using inttree::node;

// The length of the chains that would exhaust the stack of a recursive walk.
inline constexpr std::int32_t degenerate_size = 100000;

// Gives back every node of a tree, without recursion: rotating every left
// child up turns the tree into a right-leaning list freed from the top.
inline void free_tree(node* root) {
    while (root != nullptr) {
        if (root->left != nullptr) {
            node* up = root->left;
            root->left = up->right;
            up->right = root;
            root = up;
        } else {
            node* next = root->right;
            inttree::free_node(root);
            root = next;
        }
    }
}

struct built_tree {
    node* root = nullptr;
    std::vector<node*> nodes; // in the order the values were added
    built_tree() = default;
    built_tree(const built_tree&) = delete;
    built_tree& operator=(const built_tree&) = delete;
    ~built_tree() { free_tree(root); }
    // The first node added with value v.
    node* at(std::int32_t v) const {
        for (node* p : nodes)
            if (p->inf == v) return p;
        return nullptr;
    }
};

inline void add_value(built_tree& t, std::int32_t v, inttree::descent_hint& hint) {
    node* fresh = inttree::new_node(v);
    if (t.root == nullptr) {
        t.root = fresh;
    } else {
        inttree::link_leaf(t.root, fresh, hint);
    }
    t.nodes.push_back(fresh);
}

inline void fill(built_tree& t, std::initializer_list<std::int32_t> values) {
    inttree::descent_hint hint;
    for (std::int32_t v : values) add_value(t, v, hint);
}

// Values in order, by a plain stack walk (the order the tree invariant gives).
inline std::vector<std::int32_t> in_order(node* p) {
    std::vector<std::int32_t> out;
    std::vector<node*> pending;
    while (p != nullptr || !pending.empty()) {
        while (p != nullptr) {
            pending.push_back(p);
            p = p->left;
        }
        p = pending.back();
        pending.pop_back();
        out.push_back(p->inf);
        p = p->right;
    }
    return out;
}

// True when every node's left subtree is smaller and its right subtree greater
// or equal, checked against the bounds inherited from all ancestors.
inline bool ordered(node* root) {
    struct frame {
        node* p;
        std::int64_t lo;
        std::int64_t hi;
    };
    std::vector<frame> pending;
    if (root != nullptr) pending.push_back({root, INT64_MIN, INT64_MAX});
    while (!pending.empty()) {
        frame f = pending.back();
        pending.pop_back();
        if (f.p->inf < f.lo || f.p->inf >= f.hi) return false;
        if (f.p->left != nullptr) pending.push_back({f.p->left, f.lo, f.p->inf});
        if (f.p->right != nullptr) pending.push_back({f.p->right, f.p->inf, f.hi});
    }
    return true;
}

} // namespace inttree_test
