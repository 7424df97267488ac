#include "inttree.h"
#include "support.h"
#include "test_trees.h"

#include <algorithm>
#include <cstddef>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using inttree::node;
using inttree_test::built_tree;
using inttree_test::fill;

constexpr const char* delete_prompt = "Vvedite element dlja udalenija: \n";

// Runs delete_element with the given typed input; returns what it printed.
std::string run_delete(built_tree& t, const std::string& input, std::string* rest = nullptr) {
    test_support::session s(input);
    t.root = inttree::delete_element(s.c, t.root);
    if (rest != nullptr) *rest = s.rest();
    return s.output();
}

// The links of a tree of distinct values, written out: a node with no
// children as its value, any other as value(left right), "-" for no child.
std::string shape(const node* p) {
    if (p == nullptr) return "-";
    std::string out = std::to_string(p->inf);
    if (p->left != nullptr || p->right != nullptr) out += "(" + shape(p->left) + " " + shape(p->right) + ")";
    return out;
}

TEST(Insertion, HintedDescentBuildsTheSameTreeAsAFreshOne) {
    // Sorted runs, repeats and jumps, added once with the kept hint and once
    // with a fresh descent from the root every time.
    std::mt19937 gen(7);
    std::vector<std::int32_t> values;
    for (int run = 0; run < 60; ++run) {
        std::int32_t v = static_cast<std::int32_t>(gen() % 200) - 100;
        int len = static_cast<int>(gen() % 12);
        int step = static_cast<int>(gen() % 3) - 1;
        for (int k = 0; k < len; ++k) values.push_back(v + step * k);
    }
    built_tree hinted;
    built_tree fresh;
    inttree::descent_hint kept;
    for (std::int32_t v : values) {
        inttree_test::add_value(hinted, v, kept);
        inttree::descent_hint none;
        inttree_test::add_value(fresh, v, none);
    }
    ASSERT_EQ(hinted.nodes.size(), fresh.nodes.size());
    for (std::size_t i = 0; i < hinted.nodes.size(); ++i) {
        auto index = [](const built_tree& t, const node* p) -> std::ptrdiff_t {
            if (p == nullptr) return -1;
            return std::find(t.nodes.begin(), t.nodes.end(), p) - t.nodes.begin();
        };
        EXPECT_EQ(index(hinted, hinted.nodes[i]->left), index(fresh, fresh.nodes[i]->left)) << i;
        EXPECT_EQ(index(hinted, hinted.nodes[i]->right), index(fresh, fresh.nodes[i]->right)) << i;
    }
}

// Deletions whose shapes no dialogue case shows: a child with one subtree,
// on either side of its parent, and the root giving way to its right child
// when that child has a left subtree of its own.
TEST(DeleteElement, LinksAfterDeletion) {
    struct row {
        std::vector<std::int32_t> added;
        std::vector<const char*> typed; // one deletion each
        const char* links;
    } rows[] = {
        {{50, 30, 20, 10}, {"30\n"}, "50(20(10 -) -)"},
        {{50, 70, 80, 90}, {"70\n"}, "50(- 80(- 90))"},
        {{50, 30, 40, 70, 60}, {"30\n"}, "50(40 70(60 -))"},
        {{50, 30, 40, 70, 60}, {"30\n", "70\n"}, "50(40 60)"},
        {{50, 30, 40, 70, 60, 65}, {"50\n70\n"}, "70(60(30(- 40) 65) -)"},
    };
    for (const row& r : rows) {
        built_tree t;
        inttree::descent_hint hint;
        for (std::int32_t v : r.added) inttree_test::add_value(t, v, hint);
        for (const char* typed : r.typed) run_delete(t, typed);
        EXPECT_EQ(shape(t.root), r.links);
    }
}

TEST(DeleteElement, MissingValueOrTextChangesNothing) {
    built_tree t;
    fill(t, {50, 30, 70});
    std::string rest;
    EXPECT_EQ(run_delete(t, "99 1\n", &rest), std::string(delete_prompt) + "Iskomy element ne najden!\n\n");
    EXPECT_EQ(rest, " 1\n") << "a number that no node holds leaves the rest of its line";
    EXPECT_EQ(run_delete(t, "abc 1\n6\n", &rest),
              std::string(delete_prompt) + "Iskomy element ne najden!\n\n");
    EXPECT_EQ(rest, "6\n") << "text that is no number is dropped with its line";
    EXPECT_EQ(shape(t.root), "50(30 70)");
}

TEST(DeleteElement, EndOfInputLeavesTheTree) {
    built_tree t;
    fill(t, {50, 30, 70});
    EXPECT_EQ(run_delete(t, ""), delete_prompt);
    EXPECT_EQ(shape(t.root), "50(30 70)");
    EXPECT_EQ(run_delete(t, "50\n"),
              std::string(delete_prompt) + "Kakoy iz elementov postavit' na vershiny? 30 ili 70\n");
    EXPECT_EQ(shape(t.root), "50(30 70)");
}

TEST(Deletion, RandomDeletionsKeepOrderValuesAndSurvivors) {
    // Every deletion must remove exactly one matching node (or none when the
    // root answer names neither child), keep the order, and leave the other
    // nodes in place in memory with their values.
    std::mt19937 gen(12345);
    for (int round = 0; round < 40; ++round) {
        built_tree t;
        inttree::descent_hint hint;
        std::multiset<std::int32_t> values;
        std::map<node*, std::int32_t> value_of;
        for (int k = 0; k < 60; ++k) {
            auto v = static_cast<std::int32_t>(gen() % 40);
            inttree_test::add_value(t, v, hint);
            values.insert(v);
            value_of[t.nodes.back()] = v;
        }
        while (t.root != nullptr) {
            auto num = static_cast<std::int32_t>(gen() % 45);
            bool two = t.root->left != nullptr && t.root->right != nullptr;
            std::int32_t answer = 0;
            if (two) answer = gen() % 2 == 0 ? t.root->right->inf : t.root->left->inf;
            if (two && gen() % 10 == 0) answer = -1;
            bool deletes = values.contains(num) && (t.root->inf != num || !two || answer != -1);
            run_delete(t, std::to_string(num) + "\n" + std::to_string(answer) + "\n");
            if (deletes) values.erase(values.find(num));
            ASSERT_TRUE(inttree_test::ordered(t.root));
            std::vector<std::int32_t> expected(values.begin(), values.end());
            ASSERT_EQ(inttree_test::in_order(t.root), expected);
            // Whatever is still linked was added earlier and kept its value.
            std::vector<node*> pending;
            if (t.root != nullptr) pending.push_back(t.root);
            while (!pending.empty()) {
                node* p = pending.back();
                pending.pop_back();
                ASSERT_EQ(value_of.count(p), 1u);
                ASSERT_EQ(p->inf, value_of[p]);
                if (p->left != nullptr) pending.push_back(p->left);
                if (p->right != nullptr) pending.push_back(p->right);
            }
        }
        EXPECT_TRUE(values.empty());
    }
}

} // namespace

namespace {

// The tree's shape and values in pre-order, with a mark for every empty
// child, so that two trees compare equal only when they are the same tree.
std::vector<std::int64_t> shape_of(node* root) {
    constexpr std::int64_t empty = INT64_MIN;
    std::vector<std::int64_t> out;
    std::vector<node*> pending{root};
    while (!pending.empty()) {
        node* p = pending.back();
        pending.pop_back();
        if (p == nullptr) {
            out.push_back(empty);
            continue;
        }
        out.push_back(p->inf);
        pending.push_back(p->right);
        pending.push_back(p->left);
    }
    return out;
}

} // namespace

TEST(Batch, LinksTheTreeThatOneLeafAtATimeGives) {
    // Values from a narrow range (many equal), a wide one, rising runs that
    // turn, falling ones, batches below and above the size linked one by
    // one, into trees of every size from a lone root on.
    std::mt19937 gen(2024);
    for (int round = 0; round < 300; ++round) {
        auto range = static_cast<std::uint32_t>(round % 3 == 0 ? 20 : round % 3 == 1 ? 1000 : UINT32_MAX);
        auto value = [&] { return static_cast<std::int32_t>(gen() % range); };
        int kind = round % 4; // 0 random, 1 rising then random, 2 falling then random, 3 falling only
        std::vector<std::int32_t> existing(gen() % 200 + 1);
        for (auto& v : existing) v = value();
        std::vector<std::int32_t> added(round % 5 == 0 ? gen() % 64 : gen() % 3000);
        std::int32_t run = value();
        for (std::size_t k = 0; k < added.size(); ++k) {
            bool monotone = kind == 3 || (kind != 0 && k < added.size() / 2);
            if (monotone)
                run = kind == 1 ? run + static_cast<std::int32_t>(gen() % 3)
                                : run - static_cast<std::int32_t>(gen() % 3);
            added[k] = monotone ? run : value();
        }
        built_tree one_by_one;
        built_tree batched;
        inttree::descent_hint hint_a;
        inttree::descent_hint hint_b;
        for (std::int32_t v : existing) {
            inttree_test::add_value(one_by_one, v, hint_a);
            inttree_test::add_value(batched, v, hint_b);
        }
        inttree::descent_hint hint;
        inttree::leaf_batch batch;
        for (std::int32_t v : added) {
            inttree::link_leaf(one_by_one.root, inttree::new_node(v), hint);
            batch.add(batched.root, inttree::new_node(v));
        }
        batch.link(batched.root);
        ASSERT_EQ(shape_of(batched.root), shape_of(one_by_one.root))
            << "round " << round << ", " << existing.size() << " values, then " << added.size();
    }
}
