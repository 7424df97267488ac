#include "views.h"

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace inttree {

namespace {

bool push(stack_item*& st, node* item) {
    auto* frame = static_cast<stack_item*>(std::malloc(sizeof(stack_item)));
    if (frame == nullptr) return false;
    frame->item = item;
    frame->next = st;
    st = frame;
    return true;
}

node* pop(stack_item*& st) {
    stack_item* frame = st;
    st = frame->next;
    node* item = frame->item;
    std::free(frame);
    return item;
}

// In-order walk; first_side picks which child counts as "smaller".
void print_in_order(con::console& c, node* p, node* node::*first_side, node* node::*second_side) {
    std::vector<node*> pending;
    while (p != nullptr || !pending.empty()) {
        while (p != nullptr) {
            pending.push_back(p);
            p = p->*first_side;
        }
        p = pending.back();
        pending.pop_back();
        con::put_int(c, p->inf, 4);
        con::put_char(c, ' ');
        p = p->*second_side;
    }
}

void put_spaces(con::console& c, long long count) {
    // A deep tree indents by millions of columns: write them in long runs.
    static const std::string blanks(4096, ' ');
    const auto chunk = static_cast<long long>(blanks.size());
    for (; count >= chunk; count -= chunk) con::write(c, blanks);
    if (count > 0) con::write(c, std::string_view(blanks).substr(0, static_cast<std::size_t>(count)));
}

} // namespace

void print_tree(con::console& c, node* root) {
    if (root == nullptr) return;
    if (root->left == nullptr && root->right == nullptr) {
        con::put_int(c, root->inf, 3);
        return;
    }
    // Only nodes with two children are pushed: they alone leave a right
    // subtree for later. The root's bottom frame ends the walk when popped.
    stack_item* st = nullptr;
    bool stacked = push(st, root);
    if (stacked && root->left != nullptr && root->right != nullptr) stacked = push(st, root);
    if (!stacked) {
        while (st != nullptr) pop(st);
        con::write(c, no_memory);
        return;
    }
    con::put_int(c, root->inf, 4);
    node* p = root;
    bool go_left = true;
    while (st != nullptr) {
        for (;;) {
            p = go_left && p->left != nullptr ? p->left : p->right;
            go_left = true;
            // p is never null here: steps start only from nodes with a child
            // (a leaf ends this loop, and only nodes with two children are
            // popped), which the analyzer cannot see through the stack.
            // NOLINTNEXTLINE(clang-analyzer-core.NullDereference)
            if (p->left != nullptr && p->right != nullptr && !push(st, p)) {
                while (st != nullptr) pop(st);
                con::write(c, no_memory);
                return;
            }
            con::put_int(c, p->inf, 4);
            if (p->left == nullptr && p->right == nullptr) break;
        }
        p = pop(st);
        if (p->right != nullptr) go_left = false;
    }
}

void print_ascending(con::console& c, node* p) { print_in_order(c, p, &node::left, &node::right); }

void print_descending(con::console& c, node* p) { print_in_order(c, p, &node::right, &node::left); }

void print_sideways(con::console& c, node* p, int indent) {
    struct frame {
        node* item;
        long long indent;
    };
    std::vector<frame> pending;
    long long depth_indent = indent;
    while (p != nullptr || !pending.empty()) {
        while (p != nullptr) {
            pending.push_back({p, depth_indent});
            p = p->left;
            depth_indent += 2;
        }
        frame top = pending.back();
        pending.pop_back();
        put_spaces(c, top.indent);
        con::put_int(c, top.item->inf);
        con::put_char(c, '\n');
        p = top.item->right;
        depth_indent = top.indent + 2;
    }
}

} // namespace inttree
