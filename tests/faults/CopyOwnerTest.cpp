// SPDX-License-Identifier: GPL-3.0-or-later
// Whose copy is it: a copy that replaces an old one keeps the old file's owner and group where
// the run may give them (as root), and otherwise gets the runner's; a set-user-ID or
// set-group-ID bit of the old file stays only under its old owner and group, never passing to
// another owner with content from a source someone else controls. Each row runs the built batch
// command as root, as root without the right to give files away, or as the user nobody.
//
// Whose source is it: run as root in a folder that a user can write to (as install scripts do),
// the command never copies into the folder what the folder's owner could not read, whether the
// user put a link or a hard link to it there.

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

// The source a.deu of the folder: a symbolic link (of LINK_OWNER) or a hard link to TARGET, or
// a file of root's that everyone may read.
enum class Kind { Link, HardLink, Plain };
// private/p.deu, root's, mode 0600 in a folder only root may enter; or dir/u.own, the folder
// owner's, mode 0600.
enum class Target { Roots, Users };

struct SourceRow {
    const char* name;
    uid_t folderOwner;
    mode_t folderMode;
    Kind kind;
    uid_t linkOwner;
    Target target;
    const char* refused; // the reason it is not converted; nullptr: converted
};

void PrintTo(const SourceRow& row, std::ostream* os) {
    *os << row.name;
}

const char* const kLinkToAnother =
    "a link to another owner's file, in a folder others can write to";
const char* const kNotReadable = "another owner's file that the folder's owner may not read";

// clang-format off
const SourceRow kSourceRows[] = {
    {"UsersLinkToRootsFileRefused", kNobody, 0755, Kind::Link, kNobody, Target::Roots,
     kLinkToAnother},
    {"UsersLinkToTheirOwnFile", kNobody, 0755, Kind::Link, kNobody, Target::Users, nullptr},
    {"RootsLinkToTheUsersFile", kNobody, 0755, Kind::Link, kRoot, Target::Users, nullptr},
    {"RootsLinkToItsPrivateFileRefused", kNobody, 0755, Kind::Link, kRoot, Target::Roots,
     kNotReadable},
    {"HardLinkToRootsFileRefused", kNobody, 0755, Kind::HardLink, kRoot, Target::Roots,
     kNotReadable},
    {"RootsFileThatAllMayRead", kNobody, 0755, Kind::Plain, kRoot, Target::Roots, nullptr},
    {"UsersLinkInRootsSharedFolderRefused", kRoot, 01777, Kind::Link, kNobody, Target::Roots,
     kLinkToAnother},
    {"UsersLinkInRootsOwnFolderFollowed", kRoot, 0755, Kind::Link, kNobody, Target::Roots, nullptr},
};
// clang-format on

class SourceOwner : public ::testing::TestWithParam<SourceRow> {};

TEST_P(SourceOwner, NothingTheFolderOwnerCouldNotReadIsCopied) {
    const SourceRow& row = GetParam();
    if (::geteuid() != 0) {
        GTEST_SKIP() << "a folder of another user needs root";
    }
    Scratch scratch;
    const fs::path dir = scratch.path() / "dir";
    const fs::path roots = scratch.Write("private/p.deu", "geheim\xE4");
    const fs::path users = scratch.Write("dir/u.own", "geheim\xE4");
    ASSERT_EQ(::chmod(roots.c_str(), 0600), 0);
    ASSERT_EQ(::chmod(roots.parent_path().c_str(), 0700), 0);
    ASSERT_EQ(::chown(users.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(users.c_str(), 0600), 0);
    ASSERT_EQ(::chown(dir.c_str(), row.folderOwner, row.folderOwner), 0);
    ASSERT_EQ(::chmod(dir.c_str(), row.folderMode), 0);
    const fs::path source = dir / "a.deu";
    const fs::path target = row.target == Target::Roots ? roots : users;
    if (row.kind == Kind::Link) {
        fs::create_symlink(target, source);
        ASSERT_EQ(::lchown(source.c_str(), row.linkOwner, row.linkOwner), 0);
    } else if (row.kind == Kind::HardLink) {
        fs::create_hard_link(target, source);
    } else {
        WriteFile(source, "geheim\xE4");
    }

    const ChildResult result = RunProgram({RZ408_CONVERT_EXE, "-l", "de", dir.string()}, 20s);

    ASSERT_FALSE(result.timedOut) << Describe(result);
    EXPECT_EQ(result.exitCode, row.refused == nullptr ? 0 : 1) << Describe(result);
    EXPECT_EQ(ReadFile(dir / "a.txt"), row.refused == nullptr ? "geheimae\r\n" : kMissing);
    if (row.refused != nullptr) {
        const std::string named =
            "a.deu' not converted: cannot read a.deu: " + std::string(row.refused);
        EXPECT_NE(result.err.find(named), std::string::npos) << named << " in:\n" << result.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, SourceOwner, ::testing::ValuesIn(kSourceRows), RowName());

} // namespace
} // namespace rz408::test
