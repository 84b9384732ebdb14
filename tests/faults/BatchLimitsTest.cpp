// SPDX-License-Identifier: GPL-3.0-or-later
// The built batch command at its limits: a folder of 33,000 sources (past the old 16-bit
// counter), hardly any file descriptors, and arguments it must refuse without touching any
// folder.

#include "Processes_linux.h"
#include "Rows.h"
#include "Scratch_linux.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace rz408::test {
namespace {

namespace fs = std::filesystem;

using namespace std::chrono_literals;

const std::string kCount = "Anzahl der konvertierten Dateien f\xC3\xBCr Userpatch408: ";

// ---------------------------------------------------------------------------------------
// 33,000 small sources: every one converted, counted right, nothing stray.

std::string Numbered(const char* format, int k) {
    char name[32];
    std::snprintf(name, sizeof name, format, k);
    return name;
}

TEST(ManySources, ThirtyThreeThousandConvertedAndCounted) {
    constexpr int kFiles = 33000;
    Scratch scratch;
    const fs::path dir = scratch.Path() / "dir";
    fs::create_directory(dir);
    std::string log;
    for (int k = 0; k < kFiles; ++k) {
        // Every thousandth has a character without transliteration, for the log.
        const std::string source = Numbered("f%05d.deu", k);
        WriteFile(dir / source, k % 1000 == 7 ? "\xE4\x80" : "\xE4");
        if (k % 1000 == 7) {
            log += source +
                   " : \r\n             \x80 (ascii werte 128) ist konvertiert zu leerzeichen.\r\n";
        }
    }

    // Only a hang is cut off: how long it takes belongs in bench/, not here.
    const ChildResult result =
        RunProgram({RZ408_CONVERT_EXE, "--language", "german", dir.string()}, 1200s);
    ASSERT_FALSE(result.TimedOut) << Describe(result);
    EXPECT_EQ(result.ExitCode, 0) << Describe(result);
    EXPECT_EQ(result.Out, kCount + " 33000\n");
    EXPECT_EQ(result.Err, "");

    int wrong = 0;
    for (int k = 0; k < kFiles; ++k) {
        const std::string expected = k % 1000 == 7 ? "ae \r\n" : "ae\r\n";
        if (ReadFile(dir / Numbered("f%05d.txt", k)) != expected && ++wrong <= 5) {
            ADD_FAILURE() << Numbered("f%05d.txt", k) << " is not the converted copy";
        }
    }
    EXPECT_EQ(wrong, 0) << "copies wrong or missing";
    EXPECT_EQ(ReadFile(dir / "konvertionsfehler.txt"), log);
    EXPECT_EQ(Names(dir).size(), 2u * kFiles + 1) << "stray or missing files";
}

// ---------------------------------------------------------------------------------------
// A count that cannot be written is a failure, not a success; the files are converted anyway.

TEST(FullStandardOutput, ExitOneWithAMessageAndTheFilesConverted) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    Scratch scratch;
    const fs::path dir = scratch.Path() / "dir";
    fs::create_directory(dir);
    WriteFile(dir / "a.deu", "\xFC");
    const ChildResult result = RunProgram(
        {"sh", "-c", "exec \"$0\" \"$@\" >/dev/full", RZ408_CONVERT_EXE, "-l", "de", dir.string()},
        20s);
    ASSERT_FALSE(result.TimedOut) << Describe(result);
    EXPECT_EQ(result.ExitCode, 1) << Describe(result);
    EXPECT_NE(result.Err.find("could not be written"), std::string::npos) << result.Err;
    EXPECT_EQ(ReadFile(dir / "a.txt"), "ue\r\n");
    EXPECT_EQ(Names(dir), (std::set<std::string>{"a.deu", "a.txt", "konvertionsfehler.txt"}));
}

// ---------------------------------------------------------------------------------------
// Hardly any file descriptors (ulimit -n 4: one besides standard input, output and error): the
// folder is listed, and every file the run cannot open is named with the system's reason; the
// command fails, and never reports the folder as converted. (With none left, the program cannot
// even be loaded; a listing that fails so is tested with the listing itself.)

TEST(FewDescriptors, EveryFileThatCannotBeOpenedIsNamed) {
    const std::string prlimit = FindTool("prlimit");
    if (prlimit.empty()) {
        GTEST_SKIP() << "prlimit (util-linux) is not installed";
    }
    Scratch scratch;
    const fs::path dir = scratch.Path() / "dir";
    fs::create_directory(dir);
    WriteFile(dir / "a.deu", "\xFC");
    WriteFile(dir / "b.deu", "\xE4");
    const std::set<std::string> before = Names(dir);

    const ChildResult result =
        RunProgram({prlimit, "--nofile=4", "--", RZ408_CONVERT_EXE, "-l", "de", dir.string()}, 20s);
    ASSERT_FALSE(result.TimedOut) << Describe(result);
    EXPECT_EQ(result.ExitCode, 1) << Describe(result);
    EXPECT_EQ(result.Out, kCount + " 0\n");
    const std::string tooMany = ": Too many open files\n";
    for (const std::string& named :
         {"'" + (dir / "a.deu").string() + "' not converted: cannot be read" + tooMany,
          "'" + (dir / "b.deu").string() + "' not converted: cannot be read" + tooMany,
          "'" + (dir / "konvertionsfehler.txt").string() + "' not written" + tooMany,
          std::string("converted 0 of 2 files")}) {
        EXPECT_NE(result.Err.find(named), std::string::npos) << named << " not in:\n" << result.Err;
    }
    EXPECT_EQ(Names(dir), before) << "files written, or stray files left";
}

// ---------------------------------------------------------------------------------------
// Paths longer than the system takes (PATH_MAX, 4,096 bytes): a tree 18 folders deep, each named
// with 250 letters and holding a source as long. The walk reaches every folder relative to the
// one above it, and a folder given by name lists and converts its source whose path is too long.

TEST(LongPaths, EveryFolderAndSourceReachedAtAnyDepth) {
    constexpr int kDepth = 18;
    const std::string folderName(250, 'f');
    const std::string sourceName = std::string(246, 's') + ".deu";
    Scratch scratch;
    const fs::path top = scratch.Path() / "top";
    // Made, and removed again, through descriptors: the paths are too long to be given whole.
    struct RemovedWhole {
        fs::path Path;
        ~RemovedWhole() { RunProgram({"rm", "-rf", Path.string()}, 60s); }
    } const removed{top};
    fs::create_directory(top);
    int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    fs::path deepestNamed; // the deepest folder whose path the system still takes
    std::string expected = ".: " + kCount + " 1\n";
    std::string label;
    for (int level = 0; level <= kDepth && fd >= 0; ++level) {
        const int source = ::openat(fd, sourceName.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(source, 0) << SystemReason(errno);
        ASSERT_EQ(::write(source, "\xE4", 1), 1);
        ::close(source);
        if (level == kDepth) {
            break;
        }
        ASSERT_EQ(::mkdirat(fd, folderName.c_str(), 0755), 0) << SystemReason(errno);
        const int below = ::openat(fd, folderName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = below;
        label += (label.empty() ? "" : "/") + folderName;
        expected += label + ": " + kCount + " 1\n";
        if ((top / label).string().size() < 4096) {
            deepestNamed = top / label;
        }
    }
    ::close(fd);
    ASSERT_GE((deepestNamed / sourceName).string().size(), 4096u);

    const ChildResult tree = RunProgram({RZ408_CONVERT_EXE, "-l", "de", "-r", top.string()}, 60s);
    ASSERT_FALSE(tree.TimedOut) << Describe(tree);
    EXPECT_EQ(tree.ExitCode, 0) << tree.Err;
    EXPECT_EQ(tree.Out, expected);
    EXPECT_EQ(tree.Err, "");

    const ChildResult named =
        RunProgram({RZ408_CONVERT_EXE, "-l", "de", deepestNamed.string()}, 60s);
    EXPECT_EQ(named.ExitCode, 0) << named.Err;
    EXPECT_EQ(named.Out, kCount + " 1\n");
}

// ---------------------------------------------------------------------------------------
// Bad arguments: exit 2, a message saying what is wrong, and no folder touched, not even a
// good one given beside the bad one.

struct ArgumentsRow {
    const char* Name;
    std::vector<std::string> Args; // {dir}: a good folder; {file}: a file; {missing}: nothing
    const char* ErrPart;
};

const ArgumentsRow kArgumentsRows[] = {
    {"NoLanguage", {"{dir}"}, "no language"},
    {"LanguageOptionWithoutValue", {"{dir}", "--language"}, "needs a language"},
    {"UnknownLanguage", {"--language", "latin", "{dir}"}, "unknown language 'latin'"},
    {"EnglishHasConversionSwitchedOff", {"--language", "english", "{dir}"}, "switched off"},
    {"UnknownOption", {"--language", "german", "--force", "{dir}"}, "unknown option '--force'"},
    {"NoFolder", {"--language", "german"}, "no folder"},
    {"MissingFolder", {"--language", "german", "{dir}", "{missing}"}, "does not exist"},
    {"FileAsFolder", {"--language", "german", "{dir}", "{file}"}, "is not a folder"},
};

void PrintTo(const ArgumentsRow& row, std::ostream* os) {
    *os << row.Name;
}

class BadArguments : public ::testing::TestWithParam<ArgumentsRow> {};

TEST_P(BadArguments, ExitTwoWithAMessageAndNothingTouched) {
    const ArgumentsRow& row = GetParam();
    Scratch scratch;
    const fs::path dir = scratch.Path() / "dir";
    fs::create_directory(dir);
    WriteFile(dir / "a.deu", "\xFC");
    const std::set<std::string> before = Names(dir);

    std::vector<std::string> argv = {RZ408_CONVERT_EXE};
    for (const std::string& arg : row.Args) {
        if (arg == "{dir}") {
            argv.push_back(dir.string());
        } else if (arg == "{file}") {
            argv.push_back((dir / "a.deu").string());
        } else if (arg == "{missing}") {
            argv.push_back((scratch.Path() / "missing").string());
        } else {
            argv.push_back(arg);
        }
    }
    const ChildResult result = RunProgram(argv, 20s);
    ASSERT_FALSE(result.TimedOut) << Describe(result);
    EXPECT_EQ(result.ExitCode, 2) << Describe(result);
    EXPECT_NE(result.Err.find(row.ErrPart), std::string::npos) << result.Err;
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(Names(dir), before) << "the folder was touched";
    EXPECT_FALSE(fs::exists(scratch.Path() / "missing"));
}

INSTANTIATE_TEST_SUITE_P(Rows, BadArguments, ::testing::ValuesIn(kArgumentsRows), RowName());

} // namespace
} // namespace rz408::test
