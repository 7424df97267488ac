// The tree dialogue: the root question, the menu, adding and deleting values
// and the four views.
#pragma once

#include "console.h"
#include "tree.h"
#include "views.h"

namespace inttree {

// The whole dialogue; always returns 0.
int run(con::console& c);

// Asks for values and links each as a new leaf until the user answers y.
void add_elements(con::console& c, node* root);

// Asks for a value and deletes the first node holding it on the way down.
// Returns the root to keep from then on (null once the tree is empty).
node* delete_element(con::console& c, node* root);

// Deletes the root, asking which child replaces it when it has two.
// Returns the new root, or root itself when the answer names neither child.
node* delete_root(con::console& c, node* root);

} // namespace inttree
