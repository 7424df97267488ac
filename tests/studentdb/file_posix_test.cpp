// The save on POSIX systems: a new file's mode follows the umask. The
// permissions of an existing file are tested by save-permissions.sh.
#include "scratch.h"

#include <sys/stat.h>

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

} // namespace
} // namespace studentdb_test
