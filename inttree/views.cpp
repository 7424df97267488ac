#include "views.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace inttree {

namespace {

bool push(stack_item*& st, node* item) {
    auto* frame = static_cast<stack_item*>(std::malloc(sizeof(stack_item)));
    if (frame == nullptr) return false;
    *frame = stack_item{item, st};
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

// Value v in width columns, then after (when not 0), as "%*d" with it.
void put_value(con::output_run& t, std::int32_t v, int width, char after = '\0') {
    constexpr std::size_t widest = 16; // width 4 at most, 11 characters, one after
    t.room(widest);
    t.at = con::format_int(t.at, v, width);
    if (after != '\0') *t.at++ = after;
}

void put_spaces(con::output_run& t, long long count) {
    // A deep tree indents by millions of columns.
    while (count > 0) {
        t.room(1);
        auto n = static_cast<std::size_t>(std::min<long long>(count, t.end - t.at));
        std::memset(t.at, ' ', n);
        t.at += n;
        count -= static_cast<long long>(n);
    }
}

// In-order walk; first_side picks which child counts as "smaller".
void print_in_order(con::console& c, node* p, node* node::*first_side, node* node::*second_side) {
    con::output_run t{c};
    std::vector<node*> pending;
    while (p != nullptr || !pending.empty()) {
        while (p != nullptr) {
            pending.push_back(p);
            fetch_grandchildren(p);
            p = p->*first_side;
        }
        p = pending.back();
        pending.pop_back();
        put_value(t, p->inf, 4, ' ');
        p = p->*second_side;
    }
    t.done();
}

// The pre-order walk from the root, whose frames are on st; false when a
// frame cannot be had, the values so far written.
bool walk_pre_order(con::output_run& t, stack_item*& st, node* root) {
    put_value(t, root->inf, 4);
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
            if (p->left != nullptr && p->right != nullptr && !push(st, p)) return false;
            fetch_grandchildren(p);
            put_value(t, p->inf, 4);
            if (p->left == nullptr && p->right == nullptr) break;
        }
        p = pop(st);
        if (p->right != nullptr) go_left = false;
    }
    return true;
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
    const bool two_children = root->left != nullptr && root->right != nullptr;
    con::output_run t{c};
    const bool whole = push(st, root) && (!two_children || push(st, root)) && walk_pre_order(t, st, root);
    t.done();
    if (!whole) {
        while (st != nullptr) pop(st);
        con::write(c, no_memory);
    }
}

void print_ascending(con::console& c, node* p) { print_in_order(c, p, &node::left, &node::right); }

void print_descending(con::console& c, node* p) { print_in_order(c, p, &node::right, &node::left); }

void print_sideways(con::console& c, node* p, int indent) {
    struct frame {
        node* item;
        long long indent;
    };
    con::output_run t{c};
    std::vector<frame> pending;
    long long depth_indent = indent;
    while (p != nullptr || !pending.empty()) {
        while (p != nullptr) {
            pending.push_back({p, depth_indent});
            fetch_grandchildren(p);
            p = p->left;
            depth_indent += 2;
        }
        frame top = pending.back();
        pending.pop_back();
        put_spaces(t, top.indent);
        put_value(t, top.item->inf, 0, '\n');
        p = top.item->right;
        depth_indent = top.indent + 2;
    }
    t.done();
}

} // namespace inttree
