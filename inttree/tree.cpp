#include "tree.h"

#include <cstdint>
#include <cstdlib>

namespace inttree {

namespace {

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
    auto* fresh = static_cast<node*>(std::calloc(1, sizeof(node)));
    if (fresh != nullptr) fresh->inf = value;
    return fresh;
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
        bool go_left = n < p->inf;
        if (go_left) {
            hi = p->inf;
        } else {
            lo = p->inf;
        }
        node*& next = go_left ? p->left : p->right;
        if (next == nullptr) {
            next = fresh;
            hint = {fresh, lo, hi};
            return;
        }
        p = next;
    }
}

node* find_with_parent(node* root, std::int32_t num, node*& parent) {
    parent = root;
    node* p = root;
    while (p->inf != num) {
        node* next = num < p->inf ? p->left : p->right;
        if (next == nullptr) return nullptr;
        parent = p;
        p = next;
    }
    return p;
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

void free_tree(node* root) {
    // Rotating every left child up turns the tree into a right-leaning list
    // that is freed from the top, in constant extra space.
    while (root != nullptr) {
        if (root->left != nullptr) {
            node* up = root->left;
            root->left = up->right;
            up->right = root;
            root = up;
        } else {
            node* next = root->right;
            std::free(root);
            root = next;
        }
    }
}

} // namespace inttree
