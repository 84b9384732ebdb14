// SPDX-License-Identifier: GPL-3.0-or-later
// The batch command end to end: the built rz408-convert run on temporary folders, its files,
// its output and its exit codes.

#include "Rows.h"
#include "RunCommand.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace rz408 {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunCommand;
using test::TempFolder;
using test::Utf8;
using test::WithPaths;

// ---------------------------------------------------------------------------------------
// A folder of sources in either language, converted as the convert button converts it.

struct LanguageRow {
    const char* Name;
    const char* Language;
    const char* Ext;      // the language's sources
    const char* OtherExt; // the other language's sources, which stay untouched
    const char* LogName;
    std::string CountOfThree; // standard output, UTF-8
    std::string LogFile;      // Windows-1252
};

const LanguageRow kLanguageRows[] = {
    {"German", "german", "deu", "fra", "konvertionsfehler.txt",
     "Anzahl der konvertierten Dateien f\xC3\xBCr Userpatch408:  3\n",
     "b.deu : \r\n             \x96 (ascii werte 150) ist konvertiert zu leerzeichen.\r\n"},
    {"French", "french", "fra", "deu", "Erreurs_de_conversion..txt",
     "Nombre de fichiers convertis pour le patch RZ408:  3\n",
     "b.fra : \r\n             \x96 (La valeur ASCII  150) est convertie en 'espace'.\r\n"},
};

class Language : public ::testing::TestWithParam<LanguageRow> {};

void PrintTo(const LanguageRow& row, std::ostream* os) {
    *os << row.Name;
}

TEST_P(Language, ConvertsTheFolderLikeTheConvertButton) {
    const LanguageRow& row = GetParam();
    const std::string ext = row.Ext;
    std::string upperExt = ext;
    for (char& c : upperExt) {
        c = static_cast<char>(c - 'a' + 'A');
    }
    TempFolder temp;
    // A folder name with a blank and a letter outside ASCII, as game folders have them.
    const fs::path sub(u8"Spielst\u00e4nde 1");
    const fs::path folder = temp.Path() / sub;
    temp.Write(sub / ("MAP." + upperExt), "Gr\xFC\xDF"
                                          "e\r\nStra\xDF"
                                          "e");
    temp.Write(sub / ("b." + ext), "a`b\x96\nc\r\n\r\n");
    temp.Write(sub / ("plain.x." + ext), "hello\r\n");
    temp.Write(sub / ("other." + std::string(row.OtherExt)), "\xE9t\xE9\r\n");

    const test::CommandResult result = RunCommand({"--language", row.Language, Utf8(folder)});

    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_EQ(result.Out, row.CountOfThree);
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(ReadFile(folder / "MAP.txt"), "Gruesse\r\nStrasse\r\n");
    EXPECT_EQ(ReadFile(folder / "b.txt"), "a'b \nc\r\n\r\n");
    EXPECT_EQ(ReadFile(folder / "plain.txt"), "hello\r\n");
    EXPECT_EQ(ReadFile(folder / row.LogName), row.LogFile);
    EXPECT_FALSE(fs::exists(folder / "other.txt"));
    // Four sources, three copies, one log.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 8);
}

INSTANTIATE_TEST_SUITE_P(Rows, Language, ::testing::ValuesIn(kLanguageRows), test::RowName());

// ---------------------------------------------------------------------------------------
// Several folders, failures and exit codes.

struct FoldersRow {
    const char* Name;
    std::vector<std::string> Folders; // folders of the temporary folder, in argument order
    int ExitCode;
    std::string Out;
    std::vector<std::string> ErrParts;  // pieces standard error must hold
    std::vector<std::string> Converted; // targets that must hold "ok\r\n"
    std::vector<std::string> Untouched; // paths that must not exist
};

// The temporary folder holds:
//   good/     a.deu, b.deu
//   blocked/  a.deu, b.deu, c.deu and a folder b.txt where b.deu's copy belongs
//   empty/    nothing
//   logname/  a.deu, and konvertionsfehler.deu, whose copy would be the log file itself
//   logblocked/ a.deu and a folder konvertionsfehler.txt where the log file belongs
//   file.deu  a file, not a folder
const std::string kGermanCount = "Anzahl der konvertierten Dateien f\xC3\xBCr Userpatch408: ";

const FoldersRow kFoldersRows[] = {
    {"TwoGoodFolders",
     {"good", "empty"},
     0,
     kGermanCount + " 2\n" + kGermanCount + " 0\n",
     {},
     {"good/a.txt", "good/b.txt"},
     {}},
    {"BlockedTargetNamedAndOthersConverted",
     {"blocked"},
     1,
     kGermanCount + " 2\n",
     {"b.deu' not converted: cannot write b.txt: Is a directory"},
     {"blocked/a.txt", "blocked/c.txt"},
     {}},
    {"FolderAfterAFailureStillConverted",
     {"blocked", "good"},
     1,
     kGermanCount + " 2\n" + kGermanCount + " 2\n",
     {"b.deu"},
     {"blocked/a.txt", "blocked/c.txt", "good/a.txt", "good/b.txt"},
     {}},
    {"SourceNamedLikeTheLogIsRefused",
     {"logname"},
     1,
     kGermanCount + " 1\n",
     {"konvertionsfehler.deu", "log file"},
     {"logname/a.txt"},
     {}},
    {"LogFileBlockedNamedAndCopiesWritten",
     {"logblocked"},
     1,
     kGermanCount + " 1\n",
     {"konvertionsfehler.txt' not written"},
     {"logblocked/a.txt"},
     {}},
    {"MissingFolderConvertsNothing",
     {"good", "missing"},
     2,
     "",
     {"missing", "does not exist", "--help"},
     {},
     {"good/a.txt", "good/konvertionsfehler.txt"}},
    {"FileAsFolderConvertsNothing",
     {"good", "file.deu"},
     2,
     "",
     {"file.deu", "is not a folder"},
     {},
     {"good/a.txt", "good/konvertionsfehler.txt"}},
};

// What a run of the command must have done: exit with EXIT_CODE, write each of ERR_PARTS to
// standard error (nothing at all when there are none), leave "ok\r\n" in each CONVERTED target
// and no UNTOUCHED path; the paths are below ROOT.
void ExpectRun(const test::CommandResult& result, const fs::path& root, int exitCode,
               const std::vector<std::string>& errParts, const std::vector<std::string>& converted,
               const std::vector<std::string>& untouched) {
    EXPECT_EQ(result.ExitCode, exitCode) << result.Err;
    if (errParts.empty()) {
        EXPECT_EQ(result.Err, "");
    }
    for (const std::string& part : errParts) {
        EXPECT_NE(result.Err.find(part), std::string::npos) << part << " in " << result.Err;
    }
    for (const std::string& target : converted) {
        EXPECT_EQ(ReadFile(root / target), "ok\r\n") << target;
    }
    for (const std::string& path : untouched) {
        EXPECT_FALSE(fs::exists(root / path)) << path;
    }
}

class Folders : public ::testing::TestWithParam<FoldersRow> {};

void PrintTo(const FoldersRow& row, std::ostream* os) {
    *os << row.Name;
}

TEST_P(Folders, ExitCodeOutputAndFiles) {
    const FoldersRow& row = GetParam();
    TempFolder temp;
    temp.Write("good/a.deu", "ok");
    temp.Write("good/b.deu", "ok\r\n");
    temp.Write("blocked/a.deu", "ok");
    temp.Write("blocked/b.deu", "ok");
    temp.Write("blocked/c.deu", "ok");
    fs::create_directories(temp.Path() / "blocked/b.txt");
    fs::create_directories(temp.Path() / "empty");
    temp.Write("logname/a.deu", "ok");
    temp.Write("logname/konvertionsfehler.deu", "ok");
    temp.Write("logblocked/a.deu", "ok");
    fs::create_directories(temp.Path() / "logblocked/konvertionsfehler.txt");
    temp.Write("file.deu", "ok");

    std::vector<std::string> args = {"-l", "de"};
    for (const std::string& folder : row.Folders) {
        args.push_back(Utf8(temp.Path() / folder));
    }
    const test::CommandResult result = RunCommand(args);

    EXPECT_EQ(result.Out, row.Out);
    ExpectRun(result, temp.Path(), row.ExitCode, row.ErrParts, row.Converted, row.Untouched);
    // The folder in the copy's place is left as it was.
    EXPECT_TRUE(fs::is_directory(temp.Path() / "blocked/b.txt"));
}

INSTANTIATE_TEST_SUITE_P(Rows, Folders, ::testing::ValuesIn(kFoldersRows), test::RowName());

// ---------------------------------------------------------------------------------------
// Sources saved as UTF-8 or UTF-16: converted as their text and named on standard error, which
// is no failure; --encoding reads every source in the encoding given.

struct EncodingRow {
    const char* Name;
    std::vector<std::string> Options;
    std::vector<std::string> ErrLines; // the lines of standard error, each behind the folder
    std::string Utf8Target;            // what utf8.deu becomes
};

// The same line in Windows-1252 and as UTF-8: a u umlaut, a sharp s, typographic quotes.
const std::string kLine1252 = "Gr\xFC\xDF"
                              "e \x84Hallo\x93\r\n";
const std::string kLineUtf8 = "Gr\xC3\xBC\xC3\x9F"
                              "e \xE2\x80\x9EHallo\xE2\x80\x9C\r\n";
const std::string kLineTarget = "Gruesse  Hallo \r\n";

const EncodingRow kEncodingRows[] = {
    {"EachSourceTellsItsEncoding",
     {},
     {"broken.deu' read as UTF-16BE: 1 invalid sequence became a blank",
      "stray.deu' read as UTF-8: 1 invalid sequence became a blank", "utf16.deu' read as UTF-16LE",
      "utf8.deu' read as UTF-8"},
     kLineTarget},
    // Every byte on its own, as always: UTF-8's letters become letters and blanks.
    {"Windows1252Given", {"--encoding", "windows-1252"}, {}, "GrA A e a  Halloa  \r\n"},
    {"Utf8Given",
     {"--encoding=utf-8"},
     {"ansi.deu' read as UTF-8: 4 invalid sequences became blanks",
      "broken.deu' read as UTF-8: 2 invalid sequences became blanks",
      "stray.deu' read as UTF-8: 1 invalid sequence became a blank",
      "utf16.deu' read as UTF-8: 4 invalid sequences became blanks", "utf8.deu' read as UTF-8"},
     kLineTarget},
};

class Encodings : public ::testing::TestWithParam<EncodingRow> {};

void PrintTo(const EncodingRow& row, std::ostream* os) {
    *os << row.Name;
}

TEST_P(Encodings, ConvertedAndNamed) {
    const EncodingRow& row = GetParam();
    TempFolder temp;
    temp.Write("ansi.deu", kLine1252);
    temp.Write("utf8.deu", kLineUtf8);
    std::string utf16 = "\xFF\xFE";
    for (const char c : kLine1252) {
        const auto code = static_cast<unsigned char>(c);
        // The two typographic quotes are U+201E and U+201C; the other characters keep their code.
        const unsigned unit = code == 0x84 ? 0x201E : code == 0x93 ? 0x201C : code;
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    temp.Write("utf16.deu", utf16);
    temp.Write("broken.deu", std::string("\xFE\xFF\0a\0b", 6) + "x");
    // UTF-8 with a stray byte from Windows-1252 in front.
    temp.Write("stray.deu", "\xE9" + kLineUtf8 + kLineUtf8);

    std::vector<std::string> args = {"-l", "de"};
    args.insert(args.end(), row.Options.begin(), row.Options.end());
    args.push_back(Utf8(temp.Path()));
    const test::CommandResult result = RunCommand(args);

    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_EQ(result.Out, kGermanCount + " 5\n");
    std::vector<std::string> errLines;
    for (std::size_t at = 0; at < result.Err.size();) {
        const std::size_t end = result.Err.find('\n', at);
        const std::string line = result.Err.substr(at, end - at);
        // "rz408-convert: '<folder>/" (or "\" on Windows) before the name.
        const std::string start = "rz408-convert: '" + Utf8(temp.Path());
        EXPECT_TRUE(line.starts_with(start)) << line;
        errLines.push_back(line.substr(std::min(line.size(), start.size() + 1)));
        at = end == std::string::npos ? result.Err.size() : end + 1;
    }
    EXPECT_EQ(errLines, row.ErrLines);
    EXPECT_EQ(ReadFile(temp.Path() / "utf8.txt"), row.Utf8Target);
    if (!row.Options.empty()) {
        return;
    }
    // Read as their text, the three give the same copy and the same log record.
    EXPECT_EQ(ReadFile(temp.Path() / "ansi.txt"), kLineTarget);
    EXPECT_EQ(ReadFile(temp.Path() / "utf16.txt"), kLineTarget);
    EXPECT_EQ(ReadFile(temp.Path() / "stray.txt"), " " + kLineTarget + kLineTarget);
    const std::string quotes =
        "\r\n             \x84 (ascii werte 132) ist konvertiert zu leerzeichen."
        "\r\n             \x93 (ascii werte 147) ist konvertiert zu leerzeichen.";
    const std::string broken =
        "\r\n             ? (ascii werte 65533) ist konvertiert zu leerzeichen.";
    const std::string entries = " : " + quotes + "\r\n";
    EXPECT_EQ(ReadFile(temp.Path() / "konvertionsfehler.txt"),
              "ansi.deu" + entries + "broken.deu : " + broken + "\r\n" + "stray.deu : " + quotes +
                  broken + quotes + "\r\n" + "utf16.deu" + entries + "utf8.deu" + entries);
}

INSTANTIATE_TEST_SUITE_P(Rows, Encodings, ::testing::ValuesIn(kEncodingRows), test::RowName());

// ---------------------------------------------------------------------------------------
// --recursive over a game tree: every folder below the one given, each converted as if given by
// name, one count line each, prefixed with the folder's path relative to the one given.

// The temporary folder holds:
//   game/      a.deu, and the folders
//     empty/     nothing
//     maps.deu/  m.deu (a folder named like a source)
//     scenario/  s.deu, and deep/ with d.deu
//     userscen/  u.deu
//     .hidden/   h.deu
//   outside/   l.deu
// and, as the row asks: game/link, a link to outside/; game/locked/ with k.deu, unreadable;
// a folder game/scenario/deep/d.txt where d.deu's copy belongs.
enum class TreeExtra { None, Link, Locked, Blocked };

struct CountLine {
    const char* Label; // the folder's relative path with '/' ("" for no prefix)
    int Count;
};

struct TreeRow {
    const char* Name;
    TreeExtra Extra;
    std::vector<std::string> Args; // after "-l de"; "@x" stands for the path of x
    int ExitCode;
    std::vector<CountLine> Lines;       // standard output, in order
    std::vector<std::string> Converted; // targets that must hold "ok\r\n"
    std::vector<std::string> Logs;      // folders that must hold their own (empty) log file
    std::vector<std::string> Untouched; // paths that must not exist
    std::vector<std::string> ErrParts;  // pieces standard error must hold ("" when empty)
};

const std::vector<CountLine> kWholeGame = {{".", 1},        {"empty", 0},         {"maps.deu", 1},
                                           {"scenario", 1}, {"scenario/deep", 1}, {"userscen", 1}};
const std::vector<std::string> kWholeGameCopies = {
    "game/a.txt", "game/maps.deu/m.txt", "game/scenario/s.txt", "game/scenario/deep/d.txt",
    "game/userscen/u.txt"};
const std::vector<std::string> kWholeGameLogs = {
    "game", "game/empty", "game/maps.deu", "game/scenario", "game/scenario/deep", "game/userscen"};

const TreeRow kTreeRows[] = {
    {"WithoutRecursiveOnlyTheFolderGiven",
     TreeExtra::None,
     {"@game"},
     0,
     {{"", 1}},
     {"game/a.txt"},
     {"game"},
     {"game/scenario/s.txt", "game/maps.deu/m.txt", "game/empty/konvertionsfehler.txt"},
     {}},
    {"NestedFoldersHiddenOneNotEntered",
     TreeExtra::None,
     {"--recursive", "@game"},
     0,
     kWholeGame,
     kWholeGameCopies,
     kWholeGameLogs,
     {"game/.hidden/h.txt", "game/.hidden/konvertionsfehler.txt"},
     {}},
    {"HiddenFolderGivenByNameIsConverted",
     TreeExtra::None,
     {"-r", "@game/.hidden"},
     0,
     {{".", 1}},
     {"game/.hidden/h.txt"},
     {"game/.hidden"},
     {"game/a.txt"},
     {}},
    {"LinkToFolderNotEntered",
     TreeExtra::Link,
     {"-r", "@game"},
     0,
     kWholeGame,
     kWholeGameCopies,
     kWholeGameLogs,
     {"outside/l.txt", "outside/konvertionsfehler.txt"},
     {}},
    {"LinkGivenByNameIsEntered",
     TreeExtra::Link,
     {"-r", "@game/link"},
     0,
     {{".", 1}},
     {"outside/l.txt"},
     {"outside"},
     {"game/a.txt"},
     {}},
    {"UnreadableFolderBelowNamedOthersConverted",
     TreeExtra::Locked,
     {"-r", "@game"},
     1,
     kWholeGame,
     kWholeGameCopies,
     kWholeGameLogs,
     {"game/locked/k.txt", "game/locked/konvertionsfehler.txt"},
     {"locked' cannot be read"}},
    {"FailedFileBelowGivesExitOne",
     TreeExtra::Blocked,
     {"-r", "@game"},
     1,
     {{".", 1},
      {"empty", 0},
      {"maps.deu", 1},
      {"scenario", 1},
      {"scenario/deep", 0},
      {"scenario/deep/d.txt", 0}, // the folder in the copy's place is a folder of the tree
      {"userscen", 1}},
     {"game/a.txt", "game/scenario/s.txt", "game/userscen/u.txt"},
     kWholeGameLogs,
     {},
     {"d.deu' not converted: cannot write d.txt"}},
    {"EachTreeRelativeToItsOwnFolder",
     TreeExtra::None,
     {"-r", "@game/scenario", "@game/userscen"},
     0,
     {{".", 1}, {"deep", 1}, {".", 1}},
     {"game/scenario/s.txt", "game/scenario/deep/d.txt", "game/userscen/u.txt"},
     {"game/scenario", "game/scenario/deep", "game/userscen"},
     {"game/a.txt", "game/konvertionsfehler.txt"},
     {}},
    {"MissingFolderConvertsNothing",
     TreeExtra::None,
     {"-r", "@game", "@missing"},
     2,
     {},
     {},
     {},
     {"game/a.txt", "game/scenario/s.txt", "game/konvertionsfehler.txt"},
     {"missing' does not exist"}},
};

class Tree : public ::testing::TestWithParam<TreeRow> {};

void PrintTo(const TreeRow& row, std::ostream* os) {
    *os << row.Name;
}

TEST_P(Tree, EveryFolderBelowAsIfGivenByName) {
    const TreeRow& row = GetParam();
    TempFolder temp;
    for (const char* source :
         {"game/a.deu", "game/maps.deu/m.deu", "game/scenario/s.deu", "game/scenario/deep/d.deu",
          "game/userscen/u.deu", "game/.hidden/h.deu", "outside/l.deu"}) {
        temp.Write(source, "ok");
    }
    fs::create_directories(temp.Path() / "game/empty");
    const fs::path locked = temp.Path() / "game/locked";
    switch (row.Extra) {
    case TreeExtra::None:
        break;
    case TreeExtra::Link: {
        std::error_code ec;
        fs::create_directory_symlink(temp.Path() / "outside", temp.Path() / "game/link", ec);
        if (ec) {
            GTEST_SKIP() << "no symbolic links here: " << ec.message();
        }
        break;
    }
    case TreeExtra::Locked:
        if (const std::string why = test::WhyPermissionsDoNotApply(); !why.empty()) {
            GTEST_SKIP() << why;
        }
        temp.Write("game/locked/k.deu", "ok");
        fs::permissions(locked, fs::perms::none);
        break;
    case TreeExtra::Blocked:
        fs::create_directories(temp.Path() / "game/scenario/deep/d.txt");
        break;
    }

    const test::CommandResult result = RunCommand(WithPaths({"-l", "de"}, row.Args, temp.Path()),
                                                  test::Rights::WithoutReadOverride);
    std::error_code ec;
    fs::permissions(locked, fs::perms::owner_all, ec); // readable again for the checks

    ExpectRun(result, temp.Path(), row.ExitCode, row.ErrParts, row.Converted, row.Untouched);
    std::string out;
    for (const CountLine& line : row.Lines) {
        // The label as the system writes paths: "scenario\\deep" on Windows.
        const std::string label = Utf8(fs::path(line.Label).make_preferred());
        out += (label.empty() ? "" : label + ": ") + kGermanCount + " " +
               std::to_string(line.Count) + "\n";
    }
    EXPECT_EQ(result.Out, out);
    for (const std::string& folder : row.Logs) {
        EXPECT_TRUE(fs::is_regular_file(temp.Path() / folder / "konvertionsfehler.txt")) << folder;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, Tree, ::testing::ValuesIn(kTreeRows), test::RowName());

// ---------------------------------------------------------------------------------------
// Names with control characters: everything the command prints shows them escaped, so that no
// name moves the cursor or forges a line; the log shows them as '?'.

// The temporary folder holds game/, and in it the folder kSub with the UTF-8 source kForger
// ("„", a blank at 1:1), and the source kBlocked with a folder where its copy belongs.
const std::string kSub = "s\x1B]0;x\x07";
const std::string kForger = "a\nFORGED.deu:9:9: x\x1B[2J.deu";
const std::string kBlocked = "b\r.deu";

struct ControlsRow {
    const char* Name;
    std::vector<std::string> Options; // before "-l de -r @game"
    int ExitCode;
    std::string Out;                   // behind the folder's path (UTF-8) where "@" stands
    std::vector<std::string> ErrParts; // "@" stands for the folder's path, quoted in pieces
};

const ControlsRow kControlsRows[] = {
    {"Convert",
     {},
     1,
     // The folder in b\r.deu's copy's place is a folder of the tree.
     ".: " + kGermanCount + " 0\n" + "b$'\\r'.txt: " + kGermanCount + " 0\n" +
         "s$'\\033']0;x$'\\a': " + kGermanCount + " 1\n",
     {"@/b'$'\\r''.deu' not converted: cannot write b$'\\r'.txt: Is a directory",
      "@/s'$'\\033'']0;x'$'\\a''/a'$'\\n''FORGED.deu:9:9: x'$'\\033''[2J.deu' read as UTF-8"}},
    {"Check",
     {"--check"},
     3,
     "@/s$'\\033']0;x$'\\a'/a$'\\n'FORGED.deu:9:9: x$'\\033'[2J.deu:1:1: \u201E (ascii werte 132) "
     "ist konvertiert zu leerzeichen.\n",
     {"@/s'$'\\033'']0;x'$'\\a''/a'$'\\n''FORGED.deu:9:9: x'$'\\033''[2J.deu' read as UTF-8",
      "@/s'$'\\033'']0;x'$'\\a': checked 1 file"}},
};

class Controls : public ::testing::TestWithParam<ControlsRow> {};

void PrintTo(const ControlsRow& row, std::ostream* os) {
    *os << row.Name;
}

TEST_P(Controls, NamesShownEscapedEverywhere) {
    const ControlsRow& row = GetParam();
    TempFolder temp;
    const fs::path game = temp.Path() / "game";
    try {
        temp.Write(fs::path("game") / kSub / kForger, "\xE2\x80\x9E");
        temp.Write(fs::path("game") / kBlocked, "ok");
        fs::create_directory(game / "b\r.txt");
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no control characters in names here: " << e.what();
    }
    std::vector<std::string> args = row.Options;
    args.insert(args.end(), {"-l", "de", "-r", Utf8(game)});

    const test::CommandResult result = RunCommand(args);

    EXPECT_EQ(result.ExitCode, row.ExitCode) << result.Err;
    const auto withPath = [&](std::string text, const std::string& path) {
        const std::size_t at = text.find('@');
        return at == std::string::npos ? text : text.replace(at, 1, path);
    };
    EXPECT_EQ(result.Out, withPath(row.Out, Utf8(game)));
    for (const std::string& part : row.ErrParts) {
        const std::string expected = withPath(part, "'" + Utf8(game));
        EXPECT_NE(result.Err.find(expected), std::string::npos) << expected << " in " << result.Err;
    }
    for (const std::string& printed : {result.Out, result.Err}) {
        EXPECT_EQ(
            std::count_if(printed.begin(), printed.end(),
                          [](char c) { return (c >= 0 && c < ' ' && c != '\n') || c == 127; }),
            0)
            << printed;
    }
    if (row.Options.empty()) {
        EXPECT_EQ(ReadFile(game / kSub / "konvertionsfehler.txt"),
                  "a?FORGED.deu:9:9: x?[2J.deu : \r\n             \x84 (ascii werte 132) ist "
                  "konvertiert zu leerzeichen.\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, Controls, ::testing::ValuesIn(kControlsRows), test::RowName());

// ---------------------------------------------------------------------------------------
// The command line itself: usage errors and help through the real executable.

struct CommandRow {
    const char* Name;
    std::vector<std::string> Args;
    int ExitCode;
    bool HelpOnStdout;
    const char* ErrPart;
};

const CommandRow kCommandRows[] = {
    {"Help", {"--help"}, 0, true, ""},
    {"English", {"--language", "english", "/"}, 2, false, "switched off"},
};

class Command : public ::testing::TestWithParam<CommandRow> {};

void PrintTo(const CommandRow& row, std::ostream* os) {
    *os << row.Name;
}

TEST_P(Command, ExitCodeAndMessage) {
    const CommandRow& row = GetParam();
    const test::CommandResult result = RunCommand(row.Args);
    EXPECT_EQ(result.ExitCode, row.ExitCode);
    EXPECT_EQ(result.Out.find("Usage: rz408-convert") == 0, row.HelpOnStdout) << result.Out;
    EXPECT_NE(result.Err.find(row.ErrPart), std::string::npos) << result.Err;
}

INSTANTIATE_TEST_SUITE_P(Rows, Command, ::testing::ValuesIn(kCommandRows), test::RowName());

} // namespace
} // namespace rz408
