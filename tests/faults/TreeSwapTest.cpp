// SPDX-License-Identifier: GPL-3.0-or-later
// A walk over a folder tree (-r) while someone swaps a folder of the tree for a link to a folder
// outside it, after the walk listed it and before its turn: the walk never follows the link,
// names the folder, and reads, writes and removes nothing outside the tree. The swap is made
// inside the batch command by a preloaded library (SwapFolder.cpp) at a fixed moment: when the
// command opens the source of the folder walked before.

#include "Processes_linux.h"
#include "Rows.h"
#include "Scratch_linux.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace rz408::test {
namespace {

namespace fs = std::filesystem;

using namespace std::chrono_literals;

struct SwapRow {
    const char* Name;
    std::vector<std::string> Options; // before "-l de -r GAME"
    int ExitCode;
};

void PrintTo(const SwapRow& row, std::ostream* os) {
    *os << row.Name;
}

const SwapRow kSwapRows[] = {
    {"Convert", {}, 1},
    {"Check", {"--check"}, 1},
};

// Every file in FOLDER with its bytes.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    for (const std::string& name : Names(folder)) {
        contents[name] = ReadFile(folder / name);
    }
    return contents;
}

class TreeSwap : public ::testing::TestWithParam<SwapRow> {};

TEST_P(TreeSwap, ASwappedFolderIsNamedAndNothingOutsideTouched) {
    const SwapRow& row = GetParam();
    Scratch scratch;
    // game/a is walked before game/b; opening game/a/t.deu swaps game/b for a link to outside/.
    scratch.Write("game/a/t.deu", "t\x96");
    scratch.Write("game/b/b.deu", "b");
    scratch.Write("outside/o.deu", "o\x96");
    scratch.Write("outside/o.txt", "the old copy outside");
    scratch.Write("outside/.o.txt.rz408-AbCdEf", "looks like a leftover");
    const std::map<std::string, std::string> outside = Contents(scratch / "outside");

    std::vector<std::string> argv = {"env",
                                     std::string("LD_PRELOAD=") + RZ408_SWAP_FOLDER_LIB,
                                     "RZ408_SWAP_WHEN=t.deu",
                                     "RZ408_SWAP_FOLDER=" + (scratch / "game/b").string(),
                                     "RZ408_SWAP_LINK=" + (scratch / "outside").string(),
                                     RZ408_CONVERT_EXE};
    argv.insert(argv.end(), row.Options.begin(), row.Options.end());
    argv.insert(argv.end(), {"-l", "de", "-r", (scratch / "game").string()});
    const ChildResult result = RunProgram(argv, 20s);

    ASSERT_FALSE(result.TimedOut) << Describe(result);
    ASSERT_TRUE(fs::is_symlink(scratch / "game/b")) << "not swapped: " << Describe(result);
    EXPECT_EQ(result.ExitCode, row.ExitCode) << Describe(result);
    const std::string named =
        "folder '" + (scratch / "game/b").string() + "' cannot be read: a symbolic link";
    EXPECT_NE(result.Err.find(named), std::string::npos) << named << " in:\n" << result.Err;
    EXPECT_EQ(result.Out.find("o.deu"), std::string::npos) << result.Out;
    EXPECT_EQ(Contents(scratch / "outside"), outside) << "the folder outside the tree changed";
}

INSTANTIATE_TEST_SUITE_P(Rows, TreeSwap, ::testing::ValuesIn(kSwapRows), RowName());

} // namespace
} // namespace rz408::test
