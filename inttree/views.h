// The four printed views of the tree. None of them recurses, so a tree as
// deep as it is long (values added in sorted order) prints like any other.
#pragma once

#include "console.h"
#include "tree.h"

#include <string_view>

namespace inttree {

// Shown when a node or a frame of the pre-order walk cannot be had.
inline constexpr std::string_view no_memory = "Net svobodnoy pamjati!";

// One frame of the pre-order walk's stack.
struct stack_item {
    node* item;
    stack_item* next;
};

// Pre-order, every value "%4d" without separator; a lone root "%3d".
// Prints nothing for an empty tree.
void print_tree(con::console& c, node* root);
// Ascending order, every value "%4d ".
void print_ascending(con::console& c, node* p);
// Descending order, every value "%4d ".
void print_descending(con::console& c, node* p);
// One value a line, smallest first, indent spaces before p's value and two
// more for every level below it.
void print_sideways(con::console& c, node* p, int indent);

} // namespace inttree
