// SPDX-License-Identifier: GPL-3.0-or-later
// rz408-convert --check end to end: each character it finds, where it stands and how it is shown,
// against the log file that a real conversion of the same folder writes; its exit codes, and
// that it writes nothing.

#include "BatchCommand.h"
#include "CopyNames.h"
#include "Encoding.h"
#include "Folder.h"
#include "LogEntry.h"
#include "ReadWrite.h"
#include "Replace.h"
#include "Rows.h"
#include "RunCommand.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace rz408 {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunCommand;
using test::TempFolder;
using test::Utf8;
using test::WithPaths;

// Every file below ROOT with its bytes (a folder that cannot be read: nothing below it).
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied),
         end;
         it != end; ++it) {
        files[Utf8(it->path())] = it->is_regular_file() ? ReadFile(it->path()) : "(other)";
    }
    return files;
}

// ---------------------------------------------------------------------------------------
// One source: the characters found, each where it stands, and the log of a real conversion.

struct SourceRow {
    const char* Name;
    std::string Bytes;
    std::vector<std::string> Options; // besides --language
    // "LINE:COLUMN CHARACTER CODE [SHOWN]" for each finding in order, ", " between them: the
    // source's character (UTF-8), its code in the log, and how the check shows it where that is
    // not as itself.
    std::string Findings;
    const LanguageProfile* Profile = &kGermanProfile;
};

// clang-format off
const SourceRow kSourceRows[] = {
    {"Windows1252GameText", "Gr\xFC\xDF" "e \x84Hallo\x93 \x96 a`b\xB4\xD7\r\n\xA9 \xDE", {},
     "1:7 \u201E 132, 1:13 \u201C 147, 1:15 \u2013 150, 1:21 \u00D7 215, 2:1 \u00A9 169, "
     "2:3 \u00DE 222"},
    // A letter of two bytes is one column; the mark is none.
    {"Utf8WithMark", "\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F" "e \xE2\x80\x9EHallo\r\n\xC2\xA9", {},
     "1:7 \u201E 132, 2:1 \u00A9 169"},
    // U+201E, CR LF, a Cyrillic letter, a surrogate pair (an emoji), a direction override.
    {"Utf16LEWithLettersWindows1252Lacks",
     std::string("\xFF\xFE" "a\0\x1E\x20\r\0\n\0\x16\x04=\xD8\0\xDE\x2E\x20", 18), {},
     "1:2 \u201E 132, 2:1 \u0416 1046, 2:2 \U0001F600 128512, 2:3 \u202E 8238 <U+202E>"},
    // A lone surrogate, and a last byte without its partner: one broken unit each.
    {"Utf16BEBroken", std::string("\xFE\xFF\0a\xD8\x3D\0b\0", 9), {},
     "1:2 \uFFFD 65533, 1:4 \uFFFD 65533"},
    {"Utf8GivenBrokenSequences", "a\xFF" "b\xE2\x82", {"--encoding", "utf-8"},
     "1:2 \uFFFD 65533, 1:4 \uFFFD 65533"},
    // UTF-8 read byte by byte: A-tilde and a-circumflex become letters, the other bytes blanks.
    {"Windows1252Given", "\xC3\xBC\xE2\x80\x9E", {"--encoding=windows-1252"},
     "1:2 \u00BC 188, 1:4 \u20AC 128, 1:5 \u017E 158"},
    {"SameCodeTwiceInALine", "\x96x\x96\r\n\x96", {},
     "1:1 \u2013 150, 1:3 \u2013 150, 2:1 \u2013 150"},
    // CR, CR LF, lone LFs (inside their line), LF CR, CR CR LF (an empty line), no end.
    {"EveryLineEnd", "a\x80\rb\x80\r\nc\x80\nd\x80\n\re\x80\r\r\nf\x80", {},
     "1:2 \u20AC 128, 2:2 \u20AC 128, 3:2 \u20AC 128, 3:5 \u20AC 128, 4:2 \u20AC 128, "
     "6:2 \u20AC 128"},
    {"EmptyFile", "", {}, ""},
    // No visible form: the no-break space, an undefined code (a C1 control), the soft hyphen,
    // a zero-width space, and a C1 control given as UTF-8, by its Unicode number.
    {"NoVisibleForm", "\xA0\x81\xAD", {},
     "1:1 \u00A0 160 <U+00A0>, 1:2 \xC2\x81 129 <U+0081>, 1:3 \u00AD 173 <U+00AD>"},
    {"NoVisibleFormUnicode", "a\xE2\x80\x8B\xC2\x85", {},
     "1:2 \u200B 8203 <U+200B>, 1:3 \xC2\x85 133 <U+0085>"},
    {"French", "\x96\xE9", {}, "1:1 \u2013 150", &kFrenchProfile},
    // The last character of two bytes in UTF-8 and the first of three.
    {"Utf8TwoAndThreeBytes", "\xDF\xBF\xE0\xA0\x80", {}, "1:1 \u07FF 2047, 1:2 \u0800 2048"},
};
// clang-format on

class Source : public ::testing::TestWithParam<SourceRow> {};

void PrintTo(const SourceRow& row, std::ostream* os) {
    *os << row.Name;
}

TEST_P(Source, FoundWhereTheyStandAsTheConversionLogsThem) {
    const SourceRow& row = GetParam();
    TempFolder temp;
    Module1 m;
    InstallProgramTexts(*row.Profile, m);
    const std::string name = "x" + std::string(row.Profile->FilePattern.substr(1));
    const fs::path source = temp.Write(name, row.Bytes);
    std::vector<std::string> args = {"--language", row.Profile == &kGermanProfile ? "de" : "fr"};
    args.insert(args.end(), row.Options.begin(), row.Options.end());
    args.push_back(Utf8(temp.Path()));
    std::vector<std::string> check = args;
    check.insert(check.begin(), "--check");

    const test::CommandResult checked = RunCommand(check);

    EXPECT_EQ(checked.ExitCode, row.Findings.empty() ? kExitConverted : kExitBlanksFound);
    std::string out;
    // The log's entries line by line, each line's as the log orders them: the Windows-1252
    // codes, then the characters Windows-1252 lacks (shown as '?'), each one once.
    std::map<int, std::set<std::tuple<bool, std::int64_t, char>>> entries;
    std::istringstream findings(row.Findings);
    for (std::string finding; std::getline(findings, finding, ',');) {
        std::istringstream in(finding);
        std::string place, character, shown;
        std::int64_t code = 0;
        in >> place >> character >> code >> shown;
        out += Utf8(source) + ":" + place + ": " + (shown.empty() ? character : shown) +
               std::string(row.Profile->LogTextBefore) + NumberText(code) +
               std::string(row.Profile->LogTextAfter) + "\n";
        const char logged = Utf8ToCp1252(character)[0];
        entries[std::stoi(place)].insert(
            {static_cast<unsigned char>(logged) != code, code, logged});
    }
    EXPECT_EQ(checked.Out, out);
    EXPECT_EQ(Snapshot(temp.Path()).size(), 1u) << "the check wrote a file";

    const test::CommandResult converted = RunCommand(args);

    ASSERT_EQ(converted.ExitCode, kExitConverted) << converted.Err;
    std::string record;
    for (const auto& [line, codes] : entries) {
        for (const auto& [other, code, logged] : codes) {
            AppendLogEntry(record, m, logged, code);
        }
    }
    EXPECT_EQ(ReadFile(temp.Path() / LogFileName(m)),
              record.empty() ? "" : name + " : " + record + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Rows, Source, ::testing::ValuesIn(kSourceRows), test::RowName());

// ---------------------------------------------------------------------------------------
// Folders: exit codes, --recursive, what cannot be read, and nothing written.

// The temporary folder holds:
//   game/      a.deu with a blank at 1:4, the leftover of a killed run, game/link (a link to
//              outside/, where links can be made) and the folders
//     clean/     c.deu without blanks
//     scenario/  s.deu with a blank at 1:1
//     .hidden/   h.deu with a blank
//   outside/   l.deu with a blank
// and, as the row asks: game/b.deu and game/locked/ (with k.deu), both unreadable; or
// game/konvertionsfehler.deu, whose copy would be the log file; or game/shut/ (with s.deu), which
// may be read but not searched.
enum class ExtraFile { None, Locked, LogName, Unsearchable };

struct FolderRow {
    const char* Name;
    ExtraFile Extra;
    std::vector<std::string> Args; // after "--check -l de"; "@x" stands for the path of x
    int ExitCode;
    std::vector<std::string> Found;    // "PATH:LINE:COLUMN" of each line of standard output
    std::vector<std::string> ErrParts; // pieces standard error must hold
};

const std::vector<std::string> kInGame = {"game/a.deu:1:4"};
const std::vector<std::string> kInTree = {"game/a.deu:1:4", "game/scenario/s.deu:1:1"};

// clang-format off
const FolderRow kFolderRows[] = {
    {"BlanksExitThree", ExtraFile::None, {"@game"}, kExitBlanksFound, kInGame,
     {"game': checked 1 file, 1 character in 1 file would become a blank"}},
    {"NoBlanksExitZero", ExtraFile::None, {"@game/clean"}, kExitConverted, {},
     {"clean': checked 1 file, no character would become a blank"}},
    {"NestedFoldersNotHiddenOnesNorLinks", ExtraFile::None, {"-r", "@game"}, kExitBlanksFound, kInTree,
     {"clean': checked 1 file", "scenario': checked 1 file"}},
    {"UnreadableWinsOverBlanks", ExtraFile::Locked, {"--recursive", "@game"}, kExitFileFailed, kInTree,
     {"b.deu' not checked: cannot be read: ", "checked 1 of 2 files", "locked' cannot be read"}},
    {"SourceNamedLikeTheLogIsNamedNotRead", ExtraFile::LogName, {"@game"}, kExitFileFailed, kInGame,
     {"konvertionsfehler.deu' would not be converted: its copy konvertionsfehler.txt would "
      "overwrite the log file"}},
    {"MissingFolderChecksNothing", ExtraFile::None, {"@game", "@missing"}, kExitUsage, {},
     {"missing' does not exist"}},
    {"UnsearchableFolderNamesItsSources", ExtraFile::Unsearchable, {"@game/shut"}, kExitFileFailed, {},
     {"s.deu' not checked: cannot be read: Permission denied", "checked 0 of 1 file"}},
};
// clang-format on

class Folder : public ::testing::TestWithParam<FolderRow> {};

void PrintTo(const FolderRow& row, std::ostream* os) {
    *os << row.Name;
}

TEST_P(Folder, ExitCodeFindingsAndNothingWritten) {
    const FolderRow& row = GetParam();
    TempFolder temp;
    const std::pair<const char*, const char*> files[] = {{"game/a.deu", "ok \x96"},
                                                         {"game/clean/c.deu", "ok"},
                                                         {"game/scenario/s.deu", "\x84x"},
                                                         {"game/.hidden/h.deu", "\x96"},
                                                         {"outside/l.deu", "\x96"}};
    for (const auto& [path, bytes] : files) {
        temp.Write(path, bytes);
    }
    {
        // The temporary file of a run that ended in the middle of it, which a conversion would
        // remove.
        fileops::Folder game;
        fileops::File left;
        std::string name;
        ASSERT_FALSE(fileops::OpenFolder(temp.Path() / "game", game));
        ASSERT_FALSE(fileops::CreateTemporary(game, "a.txt", left, name));
        ASSERT_FALSE(fileops::WriteAll(left, "half a co", 9));
    }
    std::error_code ec;
    fs::create_directory_symlink(temp.Path() / "outside", temp.Path() / "game/link", ec);
    if (row.Extra == ExtraFile::Locked || row.Extra == ExtraFile::Unsearchable) {
        if (const std::string why = test::WhyPermissionsDoNotApply(); !why.empty()) {
            GTEST_SKIP() << why;
        }
    }
    if (row.Extra == ExtraFile::Locked) {
        fs::permissions(temp.Write("game/b.deu", "\x96"), fs::perms::none);
        fs::permissions(temp.Write("game/locked/k.deu", "\x96").parent_path(), fs::perms::none);
    } else if (row.Extra == ExtraFile::Unsearchable) {
        fs::permissions(temp.Write("game/shut/s.deu", "\x96").parent_path(),
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    } else if (row.Extra == ExtraFile::LogName) {
        temp.Write("game/konvertionsfehler.deu", "\x96");
    }
    const auto before = Snapshot(temp.Path());

    const test::CommandResult result =
        RunCommand(WithPaths({"--check", "-l", "de"}, row.Args, temp.Path()),
                   test::Rights::WithoutReadOverride);

    EXPECT_EQ(result.ExitCode, row.ExitCode) << result.Err;
    std::vector<std::string> found;
    std::istringstream out(result.Out);
    for (std::string line; std::getline(out, line);) {
        found.push_back(line.substr(0, line.find(": ")));
    }
    std::vector<std::string> expected;
    for (const std::string& place : row.Found) {
        const std::size_t colon = place.find(':');
        expected.push_back(Utf8((temp.Path() / place.substr(0, colon)).make_preferred()) +
                           place.substr(colon));
    }
    EXPECT_EQ(found, expected);
    for (const std::string& part : row.ErrParts) {
        EXPECT_NE(result.Err.find(part), std::string::npos) << part << " in " << result.Err;
    }
    EXPECT_EQ(Snapshot(temp.Path()), before) << "the check changed the folder";
    fs::permissions(temp.Path() / "game/locked", fs::perms::owner_all, ec); // removable again
    fs::permissions(temp.Path() / "game/shut", fs::perms::owner_all, ec);
}

INSTANTIATE_TEST_SUITE_P(Rows, Folder, ::testing::ValuesIn(kFolderRows), test::RowName());

} // namespace
} // namespace rz408
