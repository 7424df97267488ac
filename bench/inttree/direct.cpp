// The tree built and printed as the dialogue describes it, for timing against
// inttree on the same typed input: every value is added by a descent from the
// root, and three of the four views recurse once per level of the tree. Reads
// the benchmark's input (root, then menu choices; choice 3 takes values each
// followed by its answer) and prints the views without the menu texts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct node {
    std::int32_t inf;
    node* left;
    node* right;
};

struct stack_item {
    node* item;
    stack_item* next;
};

void add(node* root, std::int32_t n) {
    node* p = root;
    for (;;) {
        node** link = n < p->inf ? &p->left : &p->right;
        if (*link == nullptr) {
            *link = static_cast<node*>(std::calloc(1, sizeof(node)));
            (*link)->inf = n;
            return;
        }
        p = *link;
    }
}

void push(stack_item*& st, node* item) {
    auto* frame = static_cast<stack_item*>(std::malloc(sizeof(stack_item)));
    frame->item = item;
    frame->next = st;
    st = frame;
}

void print_tree(node* root) {
    if (root->left == nullptr && root->right == nullptr) {
        std::printf("%3d", root->inf);
        return;
    }
    stack_item* st = nullptr;
    push(st, root);
    if (root->left != nullptr && root->right != nullptr) push(st, root);
    std::printf("%4d", root->inf);
    node* p = root;
    bool go_left = true;
    for (;;) {
        do {
            p = go_left && p->left != nullptr ? p->left : p->right;
            go_left = true;
            if (p->left != nullptr && p->right != nullptr) push(st, p);
            std::printf("%4d", p->inf);
        } while (p->left != nullptr || p->right != nullptr);
        stack_item* top = st;
        st = top->next;
        p = top->item;
        std::free(top);
        if (p->right != nullptr) go_left = false;
        if (st == nullptr) return;
    }
}

void print_ascending(node* p) {
    if (p == nullptr) return;
    if (p->left != nullptr) print_ascending(p->left);
    std::printf("%4d ", p->inf);
    if (p->right != nullptr) print_ascending(p->right);
}

void print_descending(node* p) {
    if (p == nullptr) return;
    if (p->right != nullptr) print_descending(p->right);
    std::printf("%4d ", p->inf);
    if (p->left != nullptr) print_descending(p->left);
}

void print_sideways(node* p, int indent) {
    if (p == nullptr) return;
    print_sideways(p->left, indent + 2);
    for (int i = 0; i < indent; ++i) std::printf(" ");
    std::printf("%d\n", p->inf);
    print_sideways(p->right, indent + 2);
}

} // namespace

int main() {
    auto* root = static_cast<node*>(std::calloc(1, sizeof(node)));
    if (std::scanf("%d", &root->inf) != 1) return 1;
    int x = 0;
    while (std::scanf("%d", &x) == 1 && x != 6) {
        if (x == 3) {
            std::int32_t n = 0;
            char answer = 0;
            do {
                if (std::scanf("%d %c", &n, &answer) != 2) return 1;
                add(root, n);
            } while (answer != 'y');
        } else if (x == 0) {
            print_tree(root);
        } else if (x == 1) {
            print_ascending(root);
        } else if (x == 2) {
            print_descending(root);
        } else if (x == 5) {
            print_sideways(root, 0);
        }
        std::printf("\n");
    }
    return 0;
}
