#include "inttree.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace inttree {

namespace {

constexpr std::string_view bad_value = "Vvedeno nevernoe znachenie!\nPovtorite vvod: ";

constexpr con::int_question menu_choice{.error = bad_value, .min = 0, .max = 6};
constexpr con::int_question value_to_add{.error = bad_value};

void print_menu(con::console& c) {
    con::write(c, "\n0 - prosmotr dereva\n1 - prosmotr dereva v porjadke vozrastanija\n2 -prosmotr dereva v "
                  "porjadke ybvanija\n3 - dobavit' element\n");
    con::write(c, "4 - udalit' element\n5 - prosmotr dereva na boky\n6 - exit\n");
}

// Prints the view that menu choice 0, 1, 2 or 5 names.
void print_view(con::console& c, node* root, std::int32_t choice) {
    if (choice == 0) print_tree(c, root);
    if (choice == 1) print_ascending(c, root);
    if (choice == 2) print_descending(c, root);
    if (choice == 5) print_sideways(c, root, 0);
}

// The values typed until the person says the adding is over; they are
// queued in batch and linked by the caller.
void read_values(con::console& c, node* root, leaf_batch& batch) {
    for (;;) {
        con::write(c, "Vvedite chislo: ");
        con::discard(c);
        std::int32_t n = 0;
        if (!con::ask_int(c, value_to_add, n)) return;
        node* fresh = new_node(n);
        if (fresh == nullptr) {
            con::write(c, no_memory);
            return;
        }
        batch.add(root, fresh);
        con::write(c, "Vvod zakonchen? y - exit: ");
        con::discard(c);
        int answer = con::read_char(c);
        if (answer == con::end_of_input || answer == 'y') return;
    }
}

} // namespace

void add_elements(con::console& c, node* root) {
    if (root == nullptr) {
        con::write(c, "Net kornja!");
        return;
    }
    // Nothing shows the tree while values are typed: they are linked all
    // at once when the adding ends, which is far faster for many.
    leaf_batch batch;
    read_values(c, root, batch);
    batch.link(root);
}

node* delete_root(con::console& c, node* root) {
    node* top = nullptr;
    if (root->left != nullptr && root->right != nullptr) {
        con::write(c, "Kakoy iz elementov postavit' na vershiny? ");
        con::put_int(c, root->left->inf);
        con::write(c, " ili ");
        con::put_int(c, root->right->inf);
        con::put_char(c, '\n');
        std::int32_t n = 0;
        con::got g = con::read_int(c, n);
        if (g == con::got::end) return root;
        if (g == con::got::value && n == root->left->inf) {
            top = raise_left(root);
        } else if (g == con::got::value && n == root->right->inf) {
            top = raise_right(root);
        } else {
            con::write(c, "Takogo elementa net!\n");
            if (g == con::got::retry) con::discard(c);
            return root;
        }
    } else {
        top = root->left != nullptr ? root->left : root->right;
    }
    free_node(root);
    return top;
}

node* delete_element(con::console& c, node* root) {
    if (root == nullptr) {
        con::write(c, "Net kornja! \n\n");
        con::wait_key(c);
        return nullptr;
    }
    con::write(c, "Vvedite element dlja udalenija: \n");
    std::int32_t num = 0;
    con::got g = con::read_int(c, num);
    if (g == con::got::end) return root;
    if (g == con::got::retry) {
        // Not a number: no node can hold it.
        con::write(c, "Iskomy element ne najden!\n\n");
        con::discard(c);
        return root;
    }
    if (root->inf == num) return delete_root(c, root);
    found_node victim = find_with_parent(root, num);
    if (victim.at == nullptr) {
        con::write(c, "Iskomy element ne najden!\n\n");
        return root;
    }
    unlink_child(victim.parent, victim.at);
    free_node(victim.at);
    return root;
}

int run(con::console& c) {
    node* root = new_node(0);
    if (root == nullptr) {
        con::write(c, no_memory);
        return 0;
    }
    con::write(c, "Vvedite inf v koren' dereva: ");
    // Unvalidated on purpose: text that is not a number stays unread, the
    // root keeps 0, and the first menu read reports the text as invalid.
    if (con::read_int(c, root->inf) != con::got::end) {
        for (;;) {
            print_menu(c);
            std::int32_t x = 0;
            if (!con::ask_int(c, menu_choice, x) || x == 6) break;
            if (x == 3) {
                add_elements(c, root);
            } else if (x == 4) {
                root = delete_element(c, root);
            } else {
                print_view(c, root, x);
            }
            if (con::ended(c)) break;
        }
    }
    // Released so that leak checkers see a clean exit; nothing is printed.
    free_all_nodes();
    return 0;
}

} // namespace inttree
