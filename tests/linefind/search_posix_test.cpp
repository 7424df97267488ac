// Running out of memory in a search, on POSIX systems: a child process
// with a limited address space searches a sparse file and a device.
#include "search.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace linefind {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
constexpr bool sanitized = __has_feature(address_sanitizer);
#else
constexpr bool sanitized = false;
#endif

// Searches name for str in a child process whose address space has room
// for 64 MiB more; true when the search stopped and said memory ran out,
// with everything it held still whole to be freed.
bool runs_out_of_memory(const std::string& name, const std::string& str) {
    pid_t pid = ::fork();
    if (pid == 0) {
        std::size_t pages = 0;
        if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%zu", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        rlim_t limit = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (rlim_t{64} << 20);
        rlimit rl{limit, limit};
        text_file file;
        if (pages == 0 || ::setrlimit(RLIMIT_AS, &rl) != 0 || !file.open(name)) ::_exit(2);
        bool stopped = false;
        {
            sentence_list list;
            search(file, typed_string{str}, list);
            stopped = file.out_of_memory();
        }
        ::_exit(stopped ? 0 : 1);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(Memory, RunningOutOfMemoryStopsTheSearch) {
    if (sanitized) GTEST_SKIP() << "the sanitizers' shadow memory needs more address space than the limit";
    // A matching sentence of 256 MiB (a sparse file) is more than the
    // memory allowed to hold it.
    std::filesystem::path dir = test_support::make_temp_dir("linefind_memory");
    ASSERT_FALSE(dir.empty());
    std::string big = (dir / "big.txt").string();
    std::ofstream(big, std::ios::binary) << "key";
    ASSERT_EQ(::truncate(big.c_str(), off_t{256} << 20), 0);
    { std::ofstream(big, std::ios::binary | std::ios::in | std::ios::ate) << "."; }
    EXPECT_TRUE(runs_out_of_memory(big, "key"));
    // A device cannot be read twice, so the sentence being read is kept
    // whole; this one never ends.
    EXPECT_TRUE(runs_out_of_memory("/dev/zero", "key"));
    std::filesystem::remove_all(dir);
}

// A POSIX file name may hold double quotes: the name is opened as typed.
TEST(FileName, QuotesArePartOfTheName) {
    std::filesystem::path dir = test_support::make_temp_dir("linefind_quotes");
    ASSERT_FALSE(dir.empty());
    std::ofstream((dir / "a.txt").string()) << "a.";
    text_file file;
    EXPECT_FALSE(file.open("\"" + (dir / "a.txt").string() + "\""));
    std::ofstream((dir / "\"b.txt\"").string()) << "b.";
    EXPECT_TRUE(file.open((dir / "\"b.txt\"").string()));
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace linefind
