// SPDX-License-Identifier: GPL-3.0-or-later
// Power cuts of an ext4 disk image mounted through a loop device.
//
// Right after a run: the image on a tmpfs.
// After the run, one small file beside the folder is flushed: that commits ext4's journal, so the
// run's renames are on the disk, while file data that nobody flushed and that ext4 did not write
// by itself is not (it stays in the cache for half a minute). The image copied at that moment is
// the disk after a power cut; repaired as at the next start (e2fsck, the journal replayed) and
// mounted, every copy and the log must be the whole new file, as the run left it: a rename that
// reached the disk with its data still missing leaves an empty file where the old copy was.
//
// At any moment of a run: the image, mounted with ext4's own default options (new data goes to
// extents marked unwritten, converted by a later commit of the journal), lies on an XFS disk on
// a tmpfs, and while a run replaces the old copies of 2,000 sources the image is cloned again
// and again (FICLONE), each clone the disk as it stands between two of its writes: as a power
// cut at that moment would leave it. Each clone, repaired and mounted, must hold every copy and
// the log either as before the run or whole and new, never a new name on data that is not there
// (a copy of the new length full of zeros).

#include "Processes_linux.h"
#include "Rows.h"
#include "Scratch_linux.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <iostream>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace rz408::test {
namespace {

namespace fs = std::filesystem;

using namespace std::chrono_literals;

const std::string kLogName = "konvertionsfehler.txt";

struct PowerCutRow {
    const char* Name;
    std::vector<std::string> Options; // of the batch command
};

void PrintTo(const PowerCutRow& row, std::ostream* os) {
    *os << row.Name;
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
    const fs::path under = scratch.Path() / "under";
    if (auto why = scratch.MountImage(under / "image", 64 << 20, "disk", "ext4"); !why.empty()) {
        GTEST_SKIP() << why;
    }
    const fs::path dir = scratch.Path() / "disk" / "dir";
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
    argv.insert(argv.end(), GetParam().Options.begin(), GetParam().Options.end());
    argv.insert(argv.end(), {"--language", "german", dir.string()});
    const ChildResult result = RunProgram(argv, 60s);
    ASSERT_FALSE(result.TimedOut) << Describe(result);
    ASSERT_EQ(result.ExitCode, 0) << Describe(result);

    // The files as the run left them, and as they are on the disk after the power cut.
    std::vector<std::string> written;
    for (const std::string& target : targets) {
        written.push_back(ReadFile(dir / target));
    }
    CommitTheJournal(scratch.Path() / "disk" / "journal");
    if (auto why = scratch.MountPowerCutCopy("disk", under / "after-the-power-cut", "after");
        !why.empty()) {
        GTEST_SKIP() << why;
    }
    const fs::path after = scratch.Path() / "after" / "dir";
    for (std::size_t k = 0; k < targets.size(); ++k) {
        SCOPED_TRACE(targets[k]);
        EXPECT_GT(written[k].size(), 100u) << "the run did not write it";
        const std::string onDisk = ReadFile(after / targets[k]);
        EXPECT_EQ(onDisk.size(), written[k].size());
        EXPECT_TRUE(onDisk == written[k]) << "not what the run wrote";
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, PowerCut, ::testing::ValuesIn(kPowerCutRows), RowName());

TEST(PowerCutAnyMoment, EveryCopyAndTheLogOldOrWholeAndNew) {
    constexpr int kSources = 2000;
    constexpr std::size_t kSourceBytes = 20000;
    constexpr int kChecked = 40;          // clones repaired and looked at, spread over the run
    constexpr auto kAfterTheRun = 3000ms; // clones go on: ext4 commits every second (commit=1)
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    Scratch scratch;
    if (auto why = scratch.MountTmpfs("under", "size=3g"); !why.empty()) {
        GTEST_SKIP() << why;
    }
    if (auto why = scratch.MountImage(scratch.Path() / "under" / "xfs.img", 1 << 30, "xfs", "xfs");
        !why.empty()) {
        GTEST_SKIP() << why;
    }
    const fs::path xfs = scratch.Path() / "xfs";
    if (auto why = scratch.MountImage(xfs / "ext4.img", 512 << 20, "disk", "ext4", "commit=1");
        !why.empty()) {
        GTEST_SKIP() << why;
    }
    if (auto why = scratch.CloneImage("disk", xfs / "clone.img"); !why.empty()) {
        GTEST_SKIP() << why;
    }
    const fs::path dir = scratch.Path() / "disk" / "dir";
    fs::create_directory(dir);
    std::vector<std::string> targets = {kLogName};
    std::vector<std::string> old = {"OLD LOG\r\n"};
    for (int n = 0; n < kSources; ++n) {
        const std::string name = "s" + std::to_string(n);
        WriteFile(dir / (name + ".deu"), Source(n).substr(0, kSourceBytes));
        targets.push_back(name + ".txt");
        old.push_back("OLD COPY " + std::to_string(n) + "\r\n");
        WriteFile(dir / targets.back(), old.back());
    }
    WriteFile(dir / kLogName, old.front());
    ::sync(); // the old files are on the disk

    // The run, and clones of the disk all the while, one after the other, and on for a while
    // after it; each clone stands for a power cut at its moment. A share of them, spread over the
    // whole time, is looked at.
    ChildResult result;
    std::atomic<bool> running = true;
    std::thread run([&] {
        result = RunProgram({RZ408_CONVERT_EXE, "--language", "german", dir.string()}, 300s);
        running = false;
    });
    std::vector<fs::path> clones;
    std::string cloneError;
    for (auto end = std::chrono::steady_clock::time_point::max();
         cloneError.empty() && std::chrono::steady_clock::now() < end;) {
        if (!running && end == std::chrono::steady_clock::time_point::max()) {
            end = std::chrono::steady_clock::now() + kAfterTheRun;
        }
        clones.push_back(xfs / ("clone" + std::to_string(clones.size()) + ".img"));
        cloneError = scratch.CloneImage("disk", clones.back());
    }
    run.join();
    ASSERT_EQ(cloneError, "");
    std::vector<fs::path> kept;
    for (std::size_t k = 0; k < clones.size(); ++k) {
        if (kept.size() * clones.size() <= k * kChecked) {
            kept.push_back(clones[k]);
        } else {
            fs::remove(clones[k]);
        }
    }
    ASSERT_FALSE(result.TimedOut) << Describe(result);
    ASSERT_EQ(result.ExitCode, 0) << Describe(result);
    std::vector<std::string> written;
    for (const std::string& target : targets) {
        written.push_back(ReadFile(dir / target));
    }

    int damagedClones = 0;
    int clonesWithNewCopies = 0;
    for (std::size_t c = 0; c < kept.size(); ++c) {
        if (auto why = scratch.MountRepaired(kept[c], "after"); !why.empty()) {
            ADD_FAILURE() << "clone " << c << ": " << why;
            continue;
        }
        int damaged = 0;
        int renewed = 0;
        std::string first;
        for (std::size_t k = 0; k < targets.size(); ++k) {
            const std::string onDisk = ReadFile(scratch.Path() / "after" / "dir" / targets[k]);
            renewed += onDisk == written[k] ? 1 : 0;
            if (onDisk != old[k] && onDisk != written[k] && damaged++ == 0) {
                first = targets[k] + " (" + std::to_string(onDisk.size()) + " bytes, " +
                        std::to_string(std::count(onDisk.begin(), onDisk.end(), '\0')) +
                        " of them zeros)";
            }
        }
        if (damaged != 0) {
            ++damagedClones;
            ADD_FAILURE() << "clone " << c + 1 << " of " << kept.size() << ": " << damaged
                          << " files neither old nor whole and new, first " << first;
        }
        clonesWithNewCopies += renewed != 0 ? 1 : 0;
        ASSERT_EQ(scratch.Unmount("after"), "");
        fs::remove(kept[c]);
    }
    std::cout << "[          ] " << clones.size() << " moments cloned, " << kept.size()
              << " looked at: " << clonesWithNewCopies << " with new copies, " << damagedClones
              << " with damage\n";
    EXPECT_GT(clonesWithNewCopies, 0) << "no moment after the first copies took their places";
    EXPECT_EQ(damagedClones, 0) << "of " << kept.size() << " moments";
}

} // namespace
} // namespace rz408::test
