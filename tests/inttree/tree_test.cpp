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
#include <utility>

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

void expect_links(const node* p, const node* left, const node* right) {
    EXPECT_EQ(p->left, left) << "left of " << p->inf;
    EXPECT_EQ(p->right, right) << "right of " << p->inf;
}

TEST(Insertion, EqualValuesGoRightAndNewNodesAreLeaves) {
    built_tree t;
    fill(t, {50, 30, 70, 50});
    node* second = t.nodes[3];
    expect_links(t.root, t.at(30), t.at(70));
    expect_links(t.at(70), second, nullptr);
    expect_links(second, nullptr, nullptr);
    expect_links(t.at(30), nullptr, nullptr);
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

TEST(DeleteElement, LeavesOnEitherSide) {
    built_tree t;
    fill(t, {50, 30, 70});
    node* root = t.root;
    node* n70 = t.at(70);
    EXPECT_EQ(run_delete(t, "30\n"), delete_prompt);
    t.nodes.erase(t.nodes.begin() + 1);
    EXPECT_EQ(t.root, root);
    expect_links(root, nullptr, n70);
    run_delete(t, "70\n");
    EXPECT_EQ(t.root, root);
    expect_links(root, nullptr, nullptr);
}

TEST(DeleteElement, LeftChildGivesWayToItsRightSubtree) {
    built_tree t;
    fill(t, {50, 30, 70, 20, 40, 35});
    node* n50 = t.root;
    node* n70 = t.at(70);
    node* n20 = t.at(20);
    node* n40 = t.at(40);
    node* n35 = t.at(35);
    EXPECT_EQ(run_delete(t, "30\n"), delete_prompt);
    EXPECT_EQ(t.root, n50);
    expect_links(n50, n40, n70);
    expect_links(n40, n35, nullptr);
    expect_links(n35, n20, nullptr);
    expect_links(n20, nullptr, nullptr);
    expect_links(n70, nullptr, nullptr);
    EXPECT_EQ(n40->inf, 40);
    EXPECT_EQ(n35->inf, 35);
}

TEST(DeleteElement, RightChildGivesWayToItsLeftSubtree) {
    built_tree t;
    fill(t, {50, 30, 70, 60, 80, 65});
    node* n50 = t.root;
    node* n30 = t.at(30);
    node* n60 = t.at(60);
    node* n80 = t.at(80);
    node* n65 = t.at(65);
    run_delete(t, "70\n");
    EXPECT_EQ(t.root, n50);
    expect_links(n50, n30, n60);
    expect_links(n60, nullptr, n65);
    expect_links(n65, nullptr, n80);
    expect_links(n80, nullptr, nullptr);
    expect_links(n30, nullptr, nullptr);
}

TEST(DeleteElement, ChildWithOneSubtreeIsReplacedByIt) {
    built_tree left_side;
    fill(left_side, {50, 30, 20, 10});
    node* n20 = left_side.at(20);
    node* n10 = left_side.at(10);
    run_delete(left_side, "30\n");
    expect_links(left_side.root, n20, nullptr);
    expect_links(n20, n10, nullptr);

    built_tree right_side;
    fill(right_side, {50, 70, 80, 90});
    node* n80 = right_side.at(80);
    node* n90 = right_side.at(90);
    run_delete(right_side, "70\n");
    expect_links(right_side.root, nullptr, n80);
    expect_links(n80, nullptr, n90);

    // The subtree on the parent's side moves up even when the other is absent.
    built_tree opposite;
    fill(opposite, {50, 30, 40, 70, 60});
    node* n40 = opposite.at(40);
    node* n60 = opposite.at(60);
    node* n70 = opposite.at(70);
    run_delete(opposite, "30\n");
    expect_links(opposite.root, n40, n70);
    run_delete(opposite, "70\n");
    expect_links(opposite.root, n40, n60);
}

TEST(DeleteElement, TakesTheFirstMatchOnTheWayDown) {
    built_tree t;
    fill(t, {40, 70, 50, 50, 80});
    node* second = t.nodes[3];
    node* n70 = t.at(70);
    node* n80 = t.at(80);
    run_delete(t, "50\n");
    expect_links(n70, second, n80);
    expect_links(second, nullptr, nullptr);
}

TEST(DeleteElement, MissingValueOrTextChangesNothing) {
    built_tree t;
    fill(t, {50, 30, 70});
    node* n30 = t.at(30);
    node* n70 = t.at(70);
    node* root = t.root;
    std::string rest;
    EXPECT_EQ(run_delete(t, "99 1\n", &rest), std::string(delete_prompt) + "Iskomy element ne najden!\n\n");
    EXPECT_EQ(rest, " 1\n") << "a number that no node holds leaves the rest of its line";
    EXPECT_EQ(run_delete(t, "abc 1\n6\n", &rest),
              std::string(delete_prompt) + "Iskomy element ne najden!\n\n");
    EXPECT_EQ(rest, "6\n") << "text that is no number is dropped with its line";
    EXPECT_EQ(t.root, root);
    expect_links(root, n30, n70);
    expect_links(n30, nullptr, nullptr);
    expect_links(n70, nullptr, nullptr);
}

TEST(DeleteElement, EmptyTreeReadsNothing) {
    built_tree t;
    std::string rest;
    EXPECT_EQ(run_delete(t, "5\n", &rest), "Net kornja! \n\n");
    EXPECT_EQ(t.root, nullptr);
    EXPECT_EQ(rest, "5\n");
}

TEST(DeleteElement, EndOfInputLeavesTheTree) {
    built_tree t;
    fill(t, {50, 30, 70});
    node* root = t.root;
    EXPECT_EQ(run_delete(t, ""), delete_prompt);
    EXPECT_EQ(t.root, root);
    EXPECT_EQ(run_delete(t, "50\n"),
              std::string(delete_prompt) + "Kakoy iz elementov postavit' na vershiny? 30 ili 70\n");
    EXPECT_EQ(t.root, root);
    expect_links(root, t.at(30), t.at(70));
}

TEST(DeleteRoot, ChoosingTheLeftChild) {
    built_tree t;
    fill(t, {50, 30, 70});
    node* n30 = t.at(30);
    node* n70 = t.at(70);
    EXPECT_EQ(run_delete(t, "50\n30\n"),
              std::string(delete_prompt) + "Kakoy iz elementov postavit' na vershiny? 30 ili 70\n");
    t.nodes.erase(t.nodes.begin());
    EXPECT_EQ(t.root, n30);
    expect_links(n30, nullptr, n70);
    expect_links(n70, nullptr, nullptr);
}

TEST(DeleteRoot, ChoosingTheRightChild) {
    built_tree t;
    fill(t, {50, 30, 70});
    node* n30 = t.at(30);
    node* n70 = t.at(70);
    run_delete(t, "50\n70\n");
    EXPECT_EQ(t.root, n70);
    expect_links(n70, n30, nullptr);
    expect_links(n30, nullptr, nullptr);
}

TEST(DeleteRoot, LeftChildTakesOverAndItsRightSubtreeIsRehung) {
    built_tree t;
    fill(t, {50, 30, 40, 70, 60});
    node* n30 = t.at(30);
    node* n40 = t.at(40);
    node* n70 = t.at(70);
    node* n60 = t.at(60);
    run_delete(t, "50\n30\n");
    EXPECT_EQ(t.root, n30);
    expect_links(n30, nullptr, n70);
    expect_links(n70, n60, nullptr);
    expect_links(n60, n40, nullptr);
    expect_links(n40, nullptr, nullptr);
}

TEST(DeleteRoot, RightChildTakesOverAndTheLeftHangsBelowItsSmallest) {
    built_tree t;
    fill(t, {50, 30, 40, 70, 60, 65});
    node* n30 = t.at(30);
    node* n40 = t.at(40);
    node* n70 = t.at(70);
    node* n60 = t.at(60);
    node* n65 = t.at(65);
    run_delete(t, "50\n70\n");
    EXPECT_EQ(t.root, n70);
    expect_links(n70, n60, nullptr);
    expect_links(n60, n30, n65);
    expect_links(n30, nullptr, n40);
}

TEST(DeleteRoot, AnswerNamingNeitherChildChangesNothing) {
    // A number leaves its line end for the next read; text is dropped with it.
    const std::pair<const char*, const char*> answers[] = {
        {"50\n", "\n6\n"}, {"31\n", "\n6\n"}, {"x 30\n", "6\n"}};
    for (auto [answer, left_over] : answers) {
        built_tree t;
        fill(t, {50, 30, 70});
        node* root = t.root;
        node* n30 = t.at(30);
        node* n70 = t.at(70);
        std::string rest;
        EXPECT_EQ(run_delete(t, std::string("50\n") + answer + "6\n", &rest),
                  std::string(delete_prompt) +
                      "Kakoy iz elementov postavit' na vershiny? 30 ili 70\nTakogo elementa net!\n")
            << answer;
        EXPECT_EQ(t.root, root);
        expect_links(root, n30, n70);
        EXPECT_EQ(rest, left_over) << answer;
    }
}

TEST(DeleteRoot, OneChildOrNoneNeedsNoQuestion) {
    built_tree right_only;
    fill(right_only, {50, 70, 60});
    node* n70 = right_only.at(70);
    node* n60 = right_only.at(60);
    EXPECT_EQ(run_delete(right_only, "50\n"), delete_prompt);
    EXPECT_EQ(right_only.root, n70);
    expect_links(n70, n60, nullptr);

    built_tree left_only;
    fill(left_only, {50, 30});
    node* n30 = left_only.at(30);
    run_delete(left_only, "50\n");
    EXPECT_EQ(left_only.root, n30);

    built_tree twice;
    fill(twice, {50, 50});
    node* second = twice.nodes[1];
    run_delete(twice, "50\n");
    EXPECT_EQ(twice.root, second);
    expect_links(second, nullptr, nullptr);

    built_tree alone;
    fill(alone, {5});
    EXPECT_EQ(run_delete(alone, "5\n"), delete_prompt);
    EXPECT_EQ(alone.root, nullptr);
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
            if (monotone) run = kind == 1 ? run + static_cast<std::int32_t>(gen() % 3) : run - static_cast<std::int32_t>(gen() % 3);
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
            inttree::add_leaf(batched.root, inttree::new_node(v), batch);
        }
        inttree::link_batch(batched.root, batch);
        ASSERT_EQ(shape_of(batched.root), shape_of(one_by_one.root))
            << "round " << round << ", " << existing.size() << " values, then " << added.size();
    }
}
