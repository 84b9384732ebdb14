// SPDX-License-Identifier: GPL-3.0-or-later
// A power cut right after a run: an ext4 disk image on a tmpfs, mounted through a loop device.
// After the run, one small file beside the folder is flushed: that commits ext4's journal, so the
// run's renames are on the disk, while file data that nobody flushed and that ext4 did not write
// by itself is not (it stays in the cache for half a minute). The image copied at that moment is
// the disk after a power cut; repaired as at the next start (e2fsck, the journal replayed) and
// mounted, every copy and the log must be the whole new file, as the run left it: a rename that
// reached the disk with its data still missing leaves an empty file where the old copy was.

#include "Processes_linux.h"
#include "Rows.h"
#include "Scratch_linux.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <vector>

namespace rz408::test {
namespace {

namespace fs = std::filesystem;

using namespace std::chrono_literals;

const std::string kLogName = "konvertionsfehler.txt";

struct PowerCutRow {
    const char* name;
    std::vector<std::string> options; // of the batch command
};

void PrintTo(const PowerCutRow& row, std::ostream* os) {
    *os << row.name;
}

const PowerCutRow kPowerCutRows[] = {
    {"DefaultRun", {}},
    {"SyncRun", {"--sync"}},
};

// 200,000 bytes of game-like text; one character becomes a blank and gets a log record.
std::string Source(int n) {
    std::string text = "Quelle " + std::to_string(n) + ": \x80\r\n";
    while (text.size() < 200000) {
        text += "Eine Zeile Spieltext, lang genug f\xFCr die Platte.\r\n";
    }
    text.resize(200000);
    return text;
}

// Writes a small file beside the folder and flushes it: ext4 commits its journal with it.
void CommitTheJournal(const fs::path& file) {
    WriteFile(file, "journal");
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::fsync(fd), 0);
    ::close(fd);
}

class PowerCut : public ::testing::TestWithParam<PowerCutRow> {};

TEST_P(PowerCut, EveryCopyIsWholeOnTheDisk) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    Scratch scratch;
    if (auto why = scratch.MountTmpfs("under", "size=160m"); !why.empty()) {
        GTEST_SKIP() << why;
    }
    const fs::path under = scratch.path() / "under";
    if (auto why = scratch.MountImage(under / "image", 64 << 20, "disk", "ext4"); !why.empty()) {
        GTEST_SKIP() << why;
    }
    const fs::path dir = scratch.path() / "disk" / "dir";
    fs::create_directory(dir);
    std::vector<std::string> targets;
    for (int n = 1; n <= 4; ++n) {
        const std::string name = "s" + std::to_string(n);
        WriteFile(dir / (name + ".deu"), Source(n));
        WriteFile(dir / (name + ".txt"), "OLD COPY " + std::to_string(n) + "\r\n");
        targets.push_back(name + ".txt");
    }
    WriteFile(dir / kLogName, "OLD LOG\r\n");
    targets.push_back(kLogName);
    ::sync(); // the old files are on the disk

    std::vector<std::string> argv = {RZ408_CONVERT_EXE};
    argv.insert(argv.end(), GetParam().options.begin(), GetParam().options.end());
    argv.insert(argv.end(), {"--language", "german", dir.string()});
    const ChildResult result = RunProgram(argv, 60s);
    ASSERT_FALSE(result.timedOut) << Describe(result);
    ASSERT_EQ(result.exitCode, 0) << Describe(result);

    // The files as the run left them, and as they are on the disk after the power cut.
    std::vector<std::string> written;
    for (const std::string& target : targets) {
        written.push_back(ReadFile(dir / target));
    }
    CommitTheJournal(scratch.path() / "disk" / "journal");
    if (auto why = scratch.MountPowerCutCopy("disk", under / "after-the-power-cut", "after");
        !why.empty()) {
        GTEST_SKIP() << why;
    }
    const fs::path after = scratch.path() / "after" / "dir";
    for (std::size_t k = 0; k < targets.size(); ++k) {
        SCOPED_TRACE(targets[k]);
        EXPECT_GT(written[k].size(), 100u) << "the run did not write it";
        const std::string onDisk = ReadFile(after / targets[k]);
        EXPECT_EQ(onDisk.size(), written[k].size());
        EXPECT_TRUE(onDisk == written[k]) << "not what the run wrote";
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, PowerCut, ::testing::ValuesIn(kPowerCutRows), RowName());

} // namespace
} // namespace rz408::test
