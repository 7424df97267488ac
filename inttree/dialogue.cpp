#include "inttree.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace inttree {

namespace {

constexpr std::string_view bad_value = "Vvedeno nevernoe znachenie!\nPovtorite vvod: ";
constexpr std::string_view out_of_memory = "Net svobodnoy pamjati!";

// Writes text followed by a line break, as puts does.
void put_line(con::console& c, std::string_view text) {
    con::write(c, text);
    con::put_char(c, '\n');
}

// Reads an integer until one converts. False at end of input.
bool read_value(con::console& c, std::int32_t& value) {
    for (;;) {
        int got = con::read_int(c, value);
        if (got == 1) return true;
        if (got == con::end_of_input) return false;
        con::write(c, bad_value);
        con::discard(c);
    }
}

// Reads a menu choice from 0 to 6. False at end of input.
bool read_choice(con::console& c, int& x) {
    for (;;) {
        std::int32_t value = 0;
        int got = con::read_int(c, value);
        if (got == con::end_of_input) return false;
        if (got == 1 && value >= 0 && value <= 6) {
            x = value;
            return true;
        }
        con::write(c, bad_value);
        con::discard(c);
    }
}

void print_menu(con::console& c) {
    con::write(c, "\n0 - prosmotr dereva\n1 - prosmotr dereva v porjadke vozrastanija\n2 -prosmotr dereva v "
                  "porjadke ybvanija\n3 - dobavit' element\n");
    con::write(c, "4 - udalit' element\n5 - prosmotr dereva na boky\n6 - exit\n");
}

} // namespace

void add_elements(con::console& c, node* root) {
    if (root == nullptr) {
        con::write(c, "Net kornja!");
        return;
    }
    descent_hint hint;
    for (;;) {
        con::write(c, "Vvedite chislo: ");
        con::discard(c);
        std::int32_t n = 0;
        if (!read_value(c, n)) return;
        node* fresh = new_node(n);
        if (fresh == nullptr) {
            con::write(c, out_of_memory);
            return;
        }
        link_leaf(root, fresh, hint);
        con::write(c, "Vvod zakonchen? y - exit: ");
        con::discard(c);
        int answer = con::read_char(c);
        if (answer == con::end_of_input || answer == 'y') return;
    }
}

node* delete_root(con::console& c, node* root) {
    node* top = nullptr;
    if (root->left != nullptr && root->right != nullptr) {
        con::print(c, "Kakoy iz elementov postavit' na vershiny? %d ili %d\n", root->left->inf,
                   root->right->inf);
        std::int32_t n = 0;
        int got = con::read_int(c, n);
        if (got == con::end_of_input) return root;
        if (got == 1 && n == root->left->inf) {
            top = raise_left(root);
        } else if (got == 1 && n == root->right->inf) {
            top = raise_right(root);
        } else {
            con::write(c, "Takogo elementa net!\n");
            if (got == 0) con::discard(c);
            return root;
        }
    } else {
        top = root->left != nullptr ? root->left : root->right;
    }
    std::free(root);
    return top;
}

node* delete_element(con::console& c, node* root) {
    if (root == nullptr) {
        put_line(c, "Net kornja! \n");
        con::wait_key(c);
        return nullptr;
    }
    put_line(c, "Vvedite element dlja udalenija: ");
    std::int32_t num = 0;
    int got = con::read_int(c, num);
    if (got == con::end_of_input) return root;
    if (got == 0) {
        // Not a number: no node can hold it.
        put_line(c, "Iskomy element ne najden!\n");
        con::discard(c);
        return root;
    }
    if (root->inf == num) return delete_root(c, root);
    node* parent = nullptr;
    node* victim = find_with_parent(root, num, parent);
    if (victim == nullptr) {
        put_line(c, "Iskomy element ne najden!\n");
        return root;
    }
    unlink_child(parent, victim);
    std::free(victim);
    return root;
}

int run(con::console& c) {
    node* root = new_node(0);
    if (root == nullptr) {
        con::write(c, out_of_memory);
        return 0;
    }
    con::write(c, "Vvedite inf v koren' dereva: ");
    // Unvalidated on purpose: text that is not a number stays unread, the
    // root keeps 0, and the first menu read reports the text as invalid.
    if (con::read_int(c, root->inf) != con::end_of_input) {
        for (;;) {
            print_menu(c);
            int x = 0;
            if (!read_choice(c, x) || x == 6) break;
            switch (x) {
            case 0:
                print_tree(c, root);
                break;
            case 1:
                print_ascending(c, root);
                break;
            case 2:
                print_descending(c, root);
                break;
            case 3:
                add_elements(c, root);
                break;
            case 4:
                root = delete_element(c, root);
                break;
            case 5:
                print_sideways(c, root, 0);
                break;
            default:
                break;
            }
            if (con::ended(c)) break;
        }
    }
    // Released so that leak checkers see a clean exit; nothing is printed.
    free_tree(root);
    return 0;
}

} // namespace inttree
