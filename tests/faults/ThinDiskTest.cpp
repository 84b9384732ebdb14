// SPDX-License-Identifier: GPL-3.0-or-later
// A disk that is full only when written data reaches it: an ext2 image on a full tmpfs, mounted
// through a loop device, as thin-provisioned volumes and network shares behave. Each write of
// the run succeeds at once, into the cache; the room is missed only when the data is flushed.
// A run that does not flush before a copy takes the old file's place reports success and leaves
// zeros where the copies and the old files were; every run flushes, the batch command's without
// being asked to.
//
// After the run the image is mounted again, so that the check reads what is on the disk. Every
// source must then be either converted (its copy on the disk, byte for byte) or named as failed
// with the system's reason (its old copy intact), the count and the exit code must agree, and
// the log must hold the records of exactly the converted files, or be named and stay as it was.

#include "Processes_linux.h"
#include "Scratch_linux.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

namespace rz408::test {
namespace {

namespace fs = std::filesystem;

using namespace std::chrono_literals;

const std::string kLogName = "konvertionsfehler.txt";
const std::string kOldLog = "old log\r\n";
const std::string kCount = "Anzahl der konvertierten Dateien f\xC3\xBCr Userpatch408: ";

struct ThinSource {
    std::string Name;
    std::string Bytes;
    std::string Target;
    std::string TargetBytes;
    std::string OldTarget; // empty: none before the run
    std::string Record;
};

const ThinSource kThinSources[] = {
    {"a.deu",
     "Gr\xFC\xDF"
     "e \x80",
     "a.txt", "Gruesse  \r\n", "",
     "a.deu : \r\n             \x80 (ascii werte 128) ist konvertiert zu leerzeichen.\r\n"},
    {"b.deu", "zwei\r\n", "b.txt", "zwei\r\n", "old copy of b\r\n", ""},
    {"c.deu", "\x80", "c.txt", " \r\n", "old copy of c\r\n",
     "c.deu : \r\n             \x80 (ascii werte 128) ist konvertiert zu leerzeichen.\r\n"},
};

// The line of ERR that names PATH, or "".
std::string LineNaming(const std::string& err, const std::string& path) {
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("'" + path + "'") != std::string::npos) {
            return line;
        }
    }
    return {};
}

TEST(ThinDisk, FullAtTheFlushIsReportedAndLosesNothing) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    Scratch scratch;
    if (auto why = scratch.MountThinDisk("thin"); !why.empty()) {
        GTEST_SKIP() << why;
    }
    const fs::path dir = scratch.Path() / "thin" / "dir";
    fs::create_directory(dir);
    for (const ThinSource& source : kThinSources) {
        WriteFile(dir / source.Name, source.Bytes);
        if (!source.OldTarget.empty()) {
            WriteFile(dir / source.Target, source.OldTarget);
        }
    }
    WriteFile(dir / kLogName, kOldLog);
    const std::set<std::string> before = Names(dir);
    if (auto why = scratch.RunOutOfRoom("thin", dir); !why.empty()) {
        GTEST_SKIP() << why;
    }

    const ChildResult result =
        RunProgram({RZ408_CONVERT_EXE, "--language", "german", dir.string()}, 20s);
    ASSERT_FALSE(result.TimedOut) << Describe(result);
    const std::string why = scratch.RemountImage("thin");
    ASSERT_EQ(why, "");

    int converted = 0;
    std::string records;
    std::set<std::string> expected = before;
    for (const ThinSource& source : kThinSources) {
        SCOPED_TRACE(source.Name);
        const std::string line = LineNaming(result.Err, (dir / source.Name).string());
        if (line.empty()) {
            ++converted;
            records += source.Record;
            expected.insert(source.Target);
            EXPECT_EQ(ReadFile(dir / source.Target), source.TargetBytes)
                << "reported converted, but this is not what reached the disk";
        } else {
            EXPECT_NE(line.find("cannot write " + source.Target + ": "), std::string::npos) << line;
            EXPECT_TRUE(line.find("No space left on device") != std::string::npos ||
                        line.find("Input/output error") != std::string::npos)
                << line;
            if (source.OldTarget.empty()) {
                EXPECT_FALSE(fs::exists(dir / source.Target));
            } else {
                EXPECT_EQ(ReadFile(dir / source.Target), source.OldTarget);
            }
        }
    }
    const std::string logLine = LineNaming(result.Err, (dir / kLogName).string());
    EXPECT_EQ(ReadFile(dir / kLogName), logLine.empty() ? records : kOldLog) << logLine;
    EXPECT_EQ(result.Out, kCount + " " + std::to_string(converted) + "\n");
    EXPECT_EQ(result.ExitCode, result.Err.empty() ? 0 : 1) << Describe(result);
    EXPECT_EQ(Names(dir), expected) << "stray or missing files";
}

} // namespace
} // namespace rz408::test
