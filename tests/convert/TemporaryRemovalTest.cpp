// SPDX-License-Identifier: GPL-3.0-or-later
// A program stopped by a signal removes the temporary files that exist at that moment, and only
// those: a file that already took its target's place stays, and so does everything else in the
// folder. Each row runs in a forked child, which the signal then ends.

#include "Folder.h"
#include "ReadWrite.h"
#include "Replace.h"
#include "Rows.h"
#include "Signals.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace rz408 {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

struct StopRow {
    const char* Name;
    friend void PrintTo(const StopRow& row, std::ostream* out) { *out << row.Name; }
    int Signal;
    int Temporaries;            // made and still there when the signal comes
    bool IgnoredBefore;         // the signal was ignored before the handlers were installed
    std::size_t PathLength = 0; // the files lie in a folder whose path is at least this long
    int PlacedBefore = 0;       // temporary files that took "placed.txt"'s place before
};

// A folder below FOLDER whose path is at least LENGTH bytes long (FOLDER itself for 0), made of
// folders of 200-byte names.
std::filesystem::path DeepFolder(const TempFolder& folder, std::size_t length) {
    std::filesystem::path deep = folder.Path();
    while (deep.native().size() < length) {
        deep /= std::string(200, 'd');
    }
    std::filesystem::create_directories(deep);
    return deep;
}

class StopSignals : public testing::TestWithParam<StopRow> {};

// The child: makes the temporary files in FOLDER (one of them then takes "placed.txt"'s place,
// another is removed as after a failure), and stops itself. Exits 0 only when the signal did not
// end it.
[[noreturn]] void StopInTheMiddle(const std::filesystem::path& folder, const StopRow& row) {
    if (row.IgnoredBefore) {
        std::signal(row.Signal, SIG_IGN);
    }
    fileops::RemoveTemporariesOnInterrupt();
    fileops::Folder dir;
    if (fileops::OpenFolder(folder, dir)) {
        ::_exit(3);
    }
    std::vector<std::unique_ptr<fileops::File>> open;
    std::string temporary;
    for (int k = 0; k < row.PlacedBefore; ++k) {
        fileops::File file;
        if (fileops::CreateTemporary(dir, "placed.txt", file, temporary) ||
            fileops::Replace(dir, file, temporary, "placed.txt", fileops::kNewFileRights)) {
            ::_exit(3);
        }
    }
    for (int k = 0; k < row.Temporaries + 2; ++k) {
        open.push_back(std::make_unique<fileops::File>());
        if (fileops::CreateTemporary(dir, "t" + std::to_string(k) + ".txt", *open.back(),
                                     temporary)) {
            ::_exit(3);
        }
        if (fileops::WriteAll(*open.back(), "new", 3)) {
            ::_exit(3);
        }
        if (k == 0) {
            if (fileops::Replace(dir, *open.back(), temporary, "placed.txt",
                                 fileops::kNewFileRights)) {
                ::_exit(3);
            }
        } else if (k == 1) {
            fileops::RemoveQuietly(dir, *open.back(), temporary);
        }
    }
    ::raise(row.Signal);
    ::_exit(0);
}

TEST_P(StopSignals, RemoveTheTemporaryFilesOnly) {
    const StopRow& row = GetParam();
    TempFolder base;
    const std::filesystem::path folder = DeepFolder(base, row.PathLength);
    WriteFile(folder / "placed.txt", "old");
    WriteFile(folder / "other.deu", "kept");

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        StopInTheMiddle(folder, row);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);

    const std::set<std::string> expected = {"other.deu", "placed.txt"};
    if (row.IgnoredBefore) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        // Ignored, the signal ended nothing: the files in the making stay for the run to finish.
        EXPECT_EQ(test::Names(folder).size(), expected.size() + row.Temporaries);
    } else {
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(WTERMSIG(status), row.Signal) << "ended as the signal ends a program";
        EXPECT_EQ(test::Names(folder), expected);
    }
    EXPECT_EQ(ReadFile(folder / "placed.txt"), "new");
    EXPECT_EQ(ReadFile(folder / "other.deu"), "kept");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StopSignals,
    testing::Values(StopRow{"CtrlC", SIGINT, 2, false}, StopRow{"Termination", SIGTERM, 1, false},
                    StopRow{"TerminalClosed", SIGHUP, 3, false},
                    // More than a batch of copies, the log's file and the copy in the making.
                    StopRow{"ManyTemporaries", SIGTERM, 600, false},
                    StopRow{"NoTemporaryLeft", SIGINT, 0, false},
                    StopRow{"IgnoredBeforeStaysIgnored", SIGHUP, 2, true},
                    // Far beyond any fixed room for a path, up to the longest the system takes.
                    StopRow{"LongFolderPath", SIGTERM, 2, false, 1000},
                    StopRow{"LongestFolderPath", SIGINT, 2, false, 3800},
                    // More than the handler's table holds: those in place are out of it.
                    StopRow{"AfterManyInPlace", SIGTERM, 2, false, 0, 1500}),
    test::RowName());

} // namespace
} // namespace rz408
