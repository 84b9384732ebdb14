// SPDX-License-Identifier: GPL-3.0-or-later
// Whose copy is it: a copy that replaces an old one keeps the old file's owner and group where
// the run may give them (as root), and otherwise gets the runner's; a set-user-ID or
// set-group-ID bit of the old file stays only under its old owner and group, never passing to
// another owner with content from a source someone else controls. A new copy, where no old one
// stood, is never more open than its source: the source's access rights less the umask, without
// set-ID bits (as cp gives them). Each row runs the built batch command, under umask 022, as root,
// as root without the right to give files away, or as the user nobody (also as a member of the
// old file's group).
//
// Whose source is it: run as root in a folder that a user can write to (as install scripts do),
// the command never copies into the folder what the folder's owner could not read, whether the
// user put a link or a hard link to it there.

#include "Processes_linux.h"
#include "Rows.h"
#include "Scratch_linux.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace rz408::test {
namespace {

namespace fs = std::filesystem;

using namespace std::chrono_literals;

constexpr uid_t kRoot = 0;
constexpr uid_t kNobody = 65534; // nobody:nogroup
constexpr gid_t kPlayers = 4242; // a group that nobody belongs to with RunAs::NobodyInPlayers

enum class RunAs {
    Root,
    RootWithoutChown, // without CAP_CHOWN
    Nobody,
    NobodyInPlayers, // nobody, a member of the group kPlayers too
};

// No old a.txt: the copy is new.
constexpr mode_t kNoOldCopy = static_cast<mode_t>(-1);

struct OwnerRow {
    const char* Name;
    RunAs Runner;
    mode_t SourceMode; // of a.deu, root's
    uid_t OldOwner;    // of the old a.txt
    gid_t OldGroup;
    mode_t OldMode;
    uid_t NewOwner; // of the copy
    gid_t NewGroup;
    mode_t NewMode;
};

void PrintTo(const OwnerRow& row, std::ostream* os) {
    *os << row.Name;
}

// clang-format off
const OwnerRow kOwnerRows[] = {
    {"RootKeepsOwnerGroupAndSetIdBits", RunAs::Root, 0644,
        kNobody, kNobody, 06755, kNobody, kNobody, 06755},
    {"RootKeepsOwnerAndGroupOfAPlainFile", RunAs::Root, 0644,
        kNobody, kNobody, 0640, kNobody, kNobody, 0640},
    {"RootThatCannotGiveAwayDropsSetIdBits", RunAs::RootWithoutChown, 0644,
        kNobody, kNobody, 06755, kRoot, kRoot, 0755},
    {"AnotherUserDropsSetIdBits", RunAs::Nobody, 0644,
        kRoot, kRoot, 06755, kNobody, kNobody, 0755},
    {"TheOwnerKeepsSetIdBits", RunAs::Nobody, 0644,
        kNobody, kNobody, 06755, kNobody, kNobody, 06755},
    // The same group, another owner: the set-group-ID bit goes too.
    {"AnotherOwnerInTheSameGroupDropsSetGroupId", RunAs::Nobody, 0644,
        kRoot, kNobody, 02755, kNobody, kNobody, 0755},
    // A member of the old file's group gives the copy that group, though not the owner.
    {"AMemberKeepsTheGroup", RunAs::NobodyInPlayers, 0644,
        kRoot, kPlayers, 0640, kNobody, kPlayers, 0640},
    // A new copy: its source's access rights, less the umask and any set-ID bit.
    {"NewCopyOfAPrivateSourceStaysPrivate", RunAs::Root, 0600,
        0, 0, kNoOldCopy, kRoot, kRoot, 0600},
    {"NewCopyOfAGroupSourceKeepsItsGroupRights", RunAs::Root, 0640,
        0, 0, kNoOldCopy, kRoot, kRoot, 0640},
    {"NewCopyOfAnOpenSourceLessTheUmask", RunAs::Root, 0666,
        0, 0, kNoOldCopy, kRoot, kRoot, 0644},
    {"NewCopyOfASetUserIdSourceWithoutIt", RunAs::Root, 04750,
        0, 0, kNoOldCopy, kRoot, kRoot, 0750},
};
// clang-format on

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
    if (row.Runner == RunAs::RootWithoutChown) {
        argv = {setpriv, "--inh-caps=-all", "--bounding-set=-chown", "--"};
    } else if (row.Runner == RunAs::Nobody || row.Runner == RunAs::NobodyInPlayers) {
        argv = {setpriv, "--reuid=" + std::to_string(kNobody), "--regid=" + std::to_string(kNobody),
                row.Runner == RunAs::Nobody ? "--clear-groups"
                                            : "--groups=" + std::to_string(kPlayers),
                "--"};
    }
    Scratch scratch;
    fs::permissions(scratch.Path(), fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
    const fs::path dir = scratch.Path() / "dir";
    fs::create_directory(dir);
    fs::permissions(dir, fs::perms::all);
    WriteFile(dir / "a.deu", "neu\xE4");
    ASSERT_EQ(::chmod((dir / "a.deu").c_str(), row.SourceMode), 0);
    if (row.OldMode != kNoOldCopy) {
        WriteFile(dir / "a.txt", "old program\r\n");
        ASSERT_EQ(::chown((dir / "a.txt").c_str(), row.OldOwner, row.OldGroup), 0);
        ASSERT_EQ(::chmod((dir / "a.txt").c_str(), row.OldMode), 0);
    }

    argv.insert(argv.end(), {RZ408_CONVERT_EXE, "-l", "de", dir.string()});
    const mode_t umask = ::umask(022);
    const ChildResult result = RunProgram(argv, 20s);
    ::umask(umask);
    ASSERT_FALSE(result.TimedOut) << Describe(result);
    if ((row.Runner == RunAs::Nobody || row.Runner == RunAs::NobodyInPlayers) &&
        result.ExitCode == 127) {
        GTEST_SKIP() << "nobody cannot start the command here: " << result.Err;
    }
    ASSERT_EQ(result.ExitCode, 0) << Describe(result);

    EXPECT_EQ(ReadFile(dir / "a.txt"), "neuae\r\n");
    struct stat copy {};
    ASSERT_EQ(::stat((dir / "a.txt").c_str(), &copy), 0);
    EXPECT_EQ(copy.st_uid, row.NewOwner);
    EXPECT_EQ(copy.st_gid, row.NewGroup);
    EXPECT_EQ(copy.st_mode & 07777, row.NewMode) << std::oct << (copy.st_mode & 07777);
}

INSTANTIATE_TEST_SUITE_P(Rows, CopyOwner, ::testing::ValuesIn(kOwnerRows), RowName());

// The source a.deu of the folder: a symbolic link (of LINK_OWNER) or a hard link to TARGET, or
// a file of root's that everyone may read.
enum class SourceKind { Link, HardLink, Plain };
// private/p.deu, root's, mode 0600 in a folder only root may enter; or dir/u.own, the folder
// owner's, mode 0600.
enum class TargetFile { Roots, Users };

struct SourceRow {
    const char* Name;
    uid_t FolderOwner;
    mode_t FolderMode;
    SourceKind Kind;
    uid_t LinkOwner;
    TargetFile Target;
    const char* Refused; // the reason it is not converted; nullptr: converted
};

void PrintTo(const SourceRow& row, std::ostream* os) {
    *os << row.Name;
}

const char* const kLinkToAnother =
    "a link to another owner's file, in a folder others can write to";
const char* const kNotReadable = "another owner's file that the folder's owner may not read";

// clang-format off
const SourceRow kSourceRows[] = {
    {"UsersLinkToRootsFileRefused", kNobody, 0755, SourceKind::Link, kNobody, TargetFile::Roots,
     kLinkToAnother},
    {"UsersLinkToTheirOwnFile", kNobody, 0755, SourceKind::Link, kNobody, TargetFile::Users, nullptr},
    {"RootsLinkToTheUsersFile", kNobody, 0755, SourceKind::Link, kRoot, TargetFile::Users, nullptr},
    {"RootsLinkToItsPrivateFileRefused", kNobody, 0755, SourceKind::Link, kRoot, TargetFile::Roots,
     kNotReadable},
    {"HardLinkToRootsFileRefused", kNobody, 0755, SourceKind::HardLink, kRoot, TargetFile::Roots,
     kNotReadable},
    {"RootsFileThatAllMayRead", kNobody, 0755, SourceKind::Plain, kRoot, TargetFile::Roots, nullptr},
    {"UsersLinkInRootsSharedFolderRefused", kRoot, 01777, SourceKind::Link, kNobody, TargetFile::Roots,
     kLinkToAnother},
    {"UsersLinkInRootsOwnFolderFollowed", kRoot, 0755, SourceKind::Link, kNobody, TargetFile::Roots, nullptr},
};
// clang-format on

class SourceOwner : public ::testing::TestWithParam<SourceRow> {};

TEST_P(SourceOwner, NothingTheFolderOwnerCouldNotReadIsCopied) {
    const SourceRow& row = GetParam();
    if (::geteuid() != 0) {
        GTEST_SKIP() << "a folder of another user needs root";
    }
    Scratch scratch;
    const fs::path dir = scratch.Path() / "dir";
    const fs::path roots = scratch.Write("private/p.deu", "geheim\xE4");
    const fs::path users = scratch.Write("dir/u.own", "geheim\xE4");
    ASSERT_EQ(::chmod(roots.c_str(), 0600), 0);
    ASSERT_EQ(::chmod(roots.parent_path().c_str(), 0700), 0);
    ASSERT_EQ(::chown(users.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(users.c_str(), 0600), 0);
    ASSERT_EQ(::chown(dir.c_str(), row.FolderOwner, row.FolderOwner), 0);
    ASSERT_EQ(::chmod(dir.c_str(), row.FolderMode), 0);
    const fs::path source = dir / "a.deu";
    const fs::path target = row.Target == TargetFile::Roots ? roots : users;
    if (row.Kind == SourceKind::Link) {
        fs::create_symlink(target, source);
        ASSERT_EQ(::lchown(source.c_str(), row.LinkOwner, row.LinkOwner), 0);
    } else if (row.Kind == SourceKind::HardLink) {
        fs::create_hard_link(target, source);
    } else {
        WriteFile(source, "geheim\xE4");
    }

    const ChildResult result = RunProgram({RZ408_CONVERT_EXE, "-l", "de", dir.string()}, 20s);

    ASSERT_FALSE(result.TimedOut) << Describe(result);
    EXPECT_EQ(result.ExitCode, row.Refused == nullptr ? 0 : 1) << Describe(result);
    EXPECT_EQ(ReadFile(dir / "a.txt"), row.Refused == nullptr ? "geheimae\r\n" : kMissing);
    if (row.Refused != nullptr) {
        const std::string named =
            "a.deu' not converted: cannot be read: " + std::string(row.Refused);
        EXPECT_NE(result.Err.find(named), std::string::npos) << named << " in:\n" << result.Err;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, SourceOwner, ::testing::ValuesIn(kSourceRows), RowName());

// The user nobody watches DIR and opens each temporary file the moment it appears, until "done"
// appears (or nothing happens for a minute); writes to RESULT how many of them it could open, or
// -1 when it could not watch. Announces itself with ".watching".
[[noreturn]] void PeekAsNobody(const fs::path& dir, int result) {
    int opened = -1;
    const int watch = ::inotify_init1(IN_CLOEXEC);
    if (::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, kNobody) == 0 &&
        ::setresuid(kNobody, kNobody, kNobody) == 0 && watch >= 0 &&
        ::inotify_add_watch(watch, dir.c_str(), IN_CREATE) >= 0) {
        opened = 0;
        ::close(::open((dir / ".watching").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        alignas(inotify_event) char events[64 * 1024];
        pollfd waiting{watch, POLLIN, 0};
        for (bool done = false; !done && ::poll(&waiting, 1, 60000) == 1;) {
            const ssize_t got = ::read(watch, events, sizeof events);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                const std::string name = event->len != 0 ? event->name : "";
                done = done || name == "done";
                const int fd = name.find(".rz408-") == std::string::npos
                                   ? -1
                                   : ::open((dir / name).c_str(), O_RDONLY | O_CLOEXEC);
                if (fd >= 0) {
                    ++opened;
                    ::close(fd);
                }
            }
        }
    }
    [[maybe_unused]] const ssize_t written = ::write(result, &opened, sizeof opened);
    ::_exit(0);
}

// Root converts a folder whose old copies only root may read, as an install script would, with
// a umask that leaves new files open to others: a user who watches the folder cannot open a
// single temporary copy, neither to read it half-written nor to keep it open and write into the
// finished copy later.
TEST(TemporaryCopies, NeverOpenToOtherUsers) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "watching as another user needs root";
    }
    constexpr int kFiles = 2000;
    Scratch scratch;
    fs::permissions(scratch.Path(), fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
    const fs::path dir = scratch.Path() / "dir";
    fs::create_directory(dir);
    fs::permissions(dir, fs::perms::all);
    for (int k = 0; k < kFiles; ++k) {
        const std::string name = "s" + std::to_string(k);
        WriteFile(dir / (name + ".deu"), "neu\xE4");
        WriteFile(dir / (name + ".txt"), "root's old copy\r\n");
        ASSERT_EQ(::chmod((dir / (name + ".txt")).c_str(), 0600), 0);
    }
    int result[2];
    ASSERT_EQ(::pipe2(result, O_CLOEXEC), 0);
    const pid_t watcher = ::fork();
    ASSERT_GE(watcher, 0);
    if (watcher == 0) {
        PeekAsNobody(dir, result[1]);
    }
    ::close(result[1]);
    for (int k = 0; k < 2000 && !fs::exists(dir / ".watching"); ++k) {
        std::this_thread::sleep_for(10ms);
    }
    const mode_t umask = ::umask(002);
    const ChildResult run = RunProgram({RZ408_CONVERT_EXE, "-l", "de", dir.string()}, 300s);
    ::umask(umask);
    WriteFile(dir / "done", "");
    int opened = -2;
    EXPECT_EQ(::read(result[0], &opened, sizeof opened), static_cast<ssize_t>(sizeof opened));
    ::close(result[0]);
    ::waitpid(watcher, nullptr, 0);
    ASSERT_EQ(run.ExitCode, 0) << Describe(run);
    ASSERT_GE(opened, 0) << "nobody could not watch the folder";
    EXPECT_EQ(opened, 0) << "temporary copies opened by another user";
    struct stat copy {};
    ASSERT_EQ(::stat((dir / "s0.txt").c_str(), &copy), 0);
    EXPECT_EQ(ReadFile(dir / "s0.txt"), "neuae\r\n");
    EXPECT_EQ(copy.st_mode & 07777, 0600u) << std::oct << (copy.st_mode & 07777);
}

} // namespace
} // namespace rz408::test
