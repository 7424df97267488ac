#include "inttree.h"
#include "support.h"
#include "test_trees.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

using inttree::node;
using inttree_test::built_tree;
using inttree_test::degenerate_size;
using inttree_test::fill;

enum class view { tree, ascending, descending, sideways };

std::string render(view v, node* root) {
    test_support::session s("");
    con::console& c = s.c;
    switch (v) {
    case view::tree:
        inttree::print_tree(c, root);
        break;
    case view::ascending:
        inttree::print_ascending(c, root);
        break;
    case view::descending:
        inttree::print_descending(c, root);
        break;
    case view::sideways:
        inttree::print_sideways(c, root, 0);
        break;
    }
    return s.output();
}

std::string fields(const std::vector<std::int32_t>& values, const char* format) {
    std::string out;
    char buf[32];
    for (std::int32_t v : values) {
        std::snprintf(buf, sizeof buf, format, v);
        out += buf;
    }
    return out;
}

// Pre-order by the textbook stack walk (right pushed before left), with the
// depth of every node for the sideways reference.
struct walked {
    std::vector<std::int32_t> pre;
    std::string sideways;
};

walked reference(node* root) {
    walked w;
    struct frame {
        node* p;
        int depth;
    };
    std::vector<frame> pending;
    if (root != nullptr) pending.push_back({root, 0});
    while (!pending.empty()) {
        frame f = pending.back();
        pending.pop_back();
        w.pre.push_back(f.p->inf);
        if (f.p->right != nullptr) pending.push_back({f.p->right, f.depth + 1});
        if (f.p->left != nullptr) pending.push_back({f.p->left, f.depth + 1});
    }
    // In-order with depths for the sideways lines.
    std::vector<frame> stack;
    node* p = root;
    int depth = 0;
    while (p != nullptr || !stack.empty()) {
        while (p != nullptr) {
            stack.push_back({p, depth});
            p = p->left;
            ++depth;
        }
        frame f = stack.back();
        stack.pop_back();
        w.sideways +=
            std::string(static_cast<std::size_t>(2 * f.depth), ' ') + std::to_string(f.p->inf) + "\n";
        p = f.p->right;
        depth = f.depth + 1;
    }
    return w;
}

TEST(Views, SidewaysIndentStartsWhereAsked) {
    built_tree t;
    fill(t, {2, 1, 3});
    test_support::session s("");
    inttree::print_sideways(s.c, t.root, 3);
    EXPECT_EQ(s.output(), "     1\n   2\n     3\n");
}

TEST(Views, RandomShapesMatchTheReferenceWalks) {
    std::mt19937 gen(99);
    for (int round = 0; round < 300; ++round) {
        built_tree t;
        inttree::descent_hint hint;
        int count = 1 + static_cast<int>(gen() % 40);
        auto spread = 1 + gen() % 100;
        for (int k = 0; k < count; ++k)
            inttree_test::add_value(t, static_cast<std::int32_t>(gen() % spread) - 20, hint);
        walked w = reference(t.root);
        std::vector<std::int32_t> sorted = inttree_test::in_order(t.root);
        std::vector<std::int32_t> reversed(sorted.rbegin(), sorted.rend());
        if (count == 1) {
            EXPECT_EQ(render(view::tree, t.root), fields(w.pre, "%3d"));
        } else {
            ASSERT_EQ(render(view::tree, t.root), fields(w.pre, "%4d")) << "round " << round;
        }
        ASSERT_EQ(render(view::ascending, t.root), fields(sorted, "%4d "));
        ASSERT_EQ(render(view::descending, t.root), fields(reversed, "%4d "));
        ASSERT_EQ(render(view::sideways, t.root), w.sideways);
    }
}

TEST(Views, DegenerateTreesDoNotExhaustTheStack) {
    for (bool ascending : {true, false}) {
        built_tree t;
        inttree::descent_hint hint;
        std::vector<std::int32_t> added;
        for (std::int32_t k = 0; k < degenerate_size; ++k) {
            added.push_back(ascending ? k : degenerate_size - k);
            inttree_test::add_value(t, added.back(), hint);
        }
        std::vector<std::int32_t> sorted = added;
        if (!ascending) sorted.assign(added.rbegin(), added.rend());
        std::vector<std::int32_t> reversed(sorted.rbegin(), sorted.rend());
        EXPECT_EQ(render(view::tree, t.root), fields(added, "%4d"));
        EXPECT_EQ(render(view::ascending, t.root), fields(sorted, "%4d "));
        EXPECT_EQ(render(view::descending, t.root), fields(reversed, "%4d "));
    }
}

} // namespace
