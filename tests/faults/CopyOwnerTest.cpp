// SPDX-License-Identifier: GPL-3.0-or-later
// Whose copy is it: a copy that replaces an old one keeps the old file's owner and group where
// the run may give them (as root), and otherwise gets the runner's; a set-user-ID or
// set-group-ID bit of the old file stays only under its old owner and group, never passing to
// another owner with content from a source someone else controls. Each row runs the built batch
// command as root, as root without the right to give files away, or as the user nobody.

#include "Processes_linux.h"
#include "Rows.h"
#include "Scratch_linux.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <vector>

namespace rz408::test {
namespace {

namespace fs = std::filesystem;

using namespace std::chrono_literals;

constexpr uid_t kRoot = 0;
constexpr uid_t kNobody = 65534; // nobody:nogroup

enum class Runner {
    Root,
    RootWithoutChown, // without CAP_CHOWN
    Nobody,
};

struct OwnerRow {
    const char* name;
    Runner runner;
    uid_t oldOwner; // of the old a.txt, whose group has the same number
    mode_t oldMode;
    uid_t newOwner; // of the copy, and its group
    mode_t newMode;
};

void PrintTo(const OwnerRow& row, std::ostream* os) {
    *os << row.name;
}

const OwnerRow kOwnerRows[] = {
    {"RootKeepsOwnerGroupAndSetIdBits", Runner::Root, kNobody, 06755, kNobody, 06755},
    {"RootKeepsOwnerAndGroupOfAPlainFile", Runner::Root, kNobody, 0640, kNobody, 0640},
    {"RootThatCannotGiveAwayDropsSetIdBits", Runner::RootWithoutChown, kNobody, 06755, kRoot, 0755},
    {"AnotherUserDropsSetIdBits", Runner::Nobody, kRoot, 06755, kNobody, 0755},
    {"TheOwnerKeepsSetIdBits", Runner::Nobody, kNobody, 06755, kNobody, 06755},
};

class CopyOwner : public ::testing::TestWithParam<OwnerRow> {};

TEST_P(CopyOwner, SetIdBitsOnlyUnderTheOldOwner) {
    const OwnerRow& row = GetParam();
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving files to other users needs root";
    }
    const std::string setpriv = FindTool("setpriv");
    if (setpriv.empty()) {
        GTEST_SKIP() << "setpriv (util-linux) is not installed";
    }
    std::vector<std::string> argv;
    if (row.runner == Runner::RootWithoutChown) {
        argv = {setpriv, "--inh-caps=-all", "--bounding-set=-chown", "--"};
    } else if (row.runner == Runner::Nobody) {
        argv = {setpriv, "--reuid=" + std::to_string(kNobody), "--regid=" + std::to_string(kNobody),
                "--clear-groups", "--"};
    }
    Scratch scratch;
    fs::permissions(scratch.path(), fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
    const fs::path dir = scratch.path() / "dir";
    fs::create_directory(dir);
    fs::permissions(dir, fs::perms::all);
    WriteFile(dir / "a.deu", "neu\xE4");
    WriteFile(dir / "a.txt", "old program\r\n");
    ASSERT_EQ(::chown((dir / "a.txt").c_str(), row.oldOwner, row.oldOwner), 0);
    ASSERT_EQ(::chmod((dir / "a.txt").c_str(), row.oldMode), 0);

    argv.insert(argv.end(), {RZ408_CONVERT_EXE, "-l", "de", dir.string()});
    const ChildResult result = RunProgram(argv, 20s);
    ASSERT_FALSE(result.timedOut) << Describe(result);
    if (row.runner == Runner::Nobody && result.exitCode == 127) {
        GTEST_SKIP() << "nobody cannot start the command here: " << result.err;
    }
    ASSERT_EQ(result.exitCode, 0) << Describe(result);

    EXPECT_EQ(ReadFile(dir / "a.txt"), "neuae\r\n");
    struct stat copy {};
    ASSERT_EQ(::stat((dir / "a.txt").c_str(), &copy), 0);
    EXPECT_EQ(copy.st_uid, row.newOwner);
    EXPECT_EQ(copy.st_gid, row.newOwner);
    EXPECT_EQ(copy.st_mode & 07777, row.newMode) << std::oct << (copy.st_mode & 07777);
}

INSTANTIATE_TEST_SUITE_P(Rows, CopyOwner, ::testing::ValuesIn(kOwnerRows), RowName());

} // namespace
} // namespace rz408::test
