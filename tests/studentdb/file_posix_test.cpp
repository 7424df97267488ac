// The save on POSIX systems: the umask and directory permissions.
#include "scratch.h"

#include <sys/stat.h>
#include <unistd.h>

namespace studentdb_test {
namespace {

using save_test = scratch_dir;

TEST_F(save_test, NewFileModeFollowsUmask) {
    mode_t old_mask = ::umask(002);
    student s = make_student("a", "b");
    std::string out = save(&s, 1);
    ::umask(old_mask);
    EXPECT_EQ(out, "");
    EXPECT_EQ(fs::status("students.dat").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::group_write | fs::perms::others_read);
}

TEST_F(save_test, ReadOnlyDirectoryFailsAndKeepsFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    write_bytes("old");
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    student s = make_student("a", "b");
    EXPECT_EQ(save(&s, 1), "\nEror!\n");
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(read_bytes(), "old");
}

} // namespace
} // namespace studentdb_test
