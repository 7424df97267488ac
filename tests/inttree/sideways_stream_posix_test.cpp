// The sideways view of a chain of 100000 values, some 10 GB of output,
// checked line by line as it streams through a pipe.
#include "inttree.h"
#include "test_trees.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using inttree_test::built_tree;
using inttree_test::degenerate_size;

TEST(Views, DegenerateTreeSideways) {
    // The chain k = 0, 1, ... prints k after 2k spaces: some 10 GB in all, so
    // the lines are checked as they stream through a pipe.
    built_tree t;
    inttree::descent_hint hint;
    for (std::int32_t k = 0; k < degenerate_size; ++k) inttree_test::add_value(t, k, hint);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::fcntl(fds[0], F_SETPIPE_SZ, 1 << 20); // fewer switches between writer and reader
    std::string failure;
    std::int64_t lines = 0;
    std::thread reader([&] {
        std::vector<char> buf(1 << 20);
        std::int64_t in_line = 0; // bytes of the current line seen so far
        std::string tail;         // last bytes of the current line
        for (;;) {
            ssize_t got = ::read(fds[0], buf.data(), buf.size());
            if (got <= 0) break;
            const char* p = buf.data();
            const char* end = p + got;
            while (p < end) {
                const auto* nl =
                    static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
                const char* stop = nl != nullptr ? nl : end;
                std::size_t keep = std::min<std::size_t>(static_cast<std::size_t>(stop - p), 12);
                tail.append(stop - keep, keep);
                if (tail.size() > 12) tail.erase(0, tail.size() - 12);
                in_line += stop - p;
                if (nl == nullptr) break;
                std::string digits = std::to_string(lines);
                std::string want = " " + digits;
                bool ok = in_line == 2 * lines + static_cast<std::int64_t>(digits.size()) &&
                          (lines == 0 ? tail == digits
                                      : tail.size() >= want.size() &&
                                            tail.compare(tail.size() - want.size(), want.size(), want) == 0);
                if (!ok && failure.empty()) failure = "line " + std::to_string(lines) + " is wrong";
                ++lines;
                in_line = 0;
                tail.clear();
                p = nl + 1;
            }
        }
    });
    con::console c;
    con::open_descriptors(c, -1, fds[1]);
    inttree::print_sideways(c, t.root, 0);
    con::flush(c);
    ::close(fds[1]);
    reader.join();
    ::close(fds[0]);
    EXPECT_EQ(failure, "");
    EXPECT_EQ(lines, degenerate_size);
}

} // namespace
