// SPDX-License-Identifier: GPL-3.0-or-later
// The batch command's arguments and its usage errors, in-process.

#include "BatchCommand.h"
#include "CheckCommand.h"
#include "FolderConversion.h"
#include "Rows.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace rz408 {
namespace {

namespace fs = std::filesystem;
using ArgList = std::vector<std::string>;

struct ParseRow {
    const char* Name;
    ArgList Args;
    BatchAction Action;
    const LanguageProfile* Profile; // for Convert
    std::vector<std::string> Folders;
    const char* ErrorPart;  // for UsageError: a piece of the message
    bool Recursive = false; // for Convert
};

const ParseRow kParseRows[] = {
    {"LongGerman", {"--language", "german", "x"}, BatchAction::Convert, &kGermanProfile, {"x"}, ""},
    {"LongFrench", {"--language", "french", "x"}, BatchAction::Convert, &kFrenchProfile, {"x"}, ""},
    {"ShortCodes", {"--language", "de", "x"}, BatchAction::Convert, &kGermanProfile, {"x"}, ""},
    {"ShortCodeFr", {"--language", "fr", "x"}, BatchAction::Convert, &kFrenchProfile, {"x"}, ""},
    {"AnyCase", {"--language", "GerMAN", "x"}, BatchAction::Convert, &kGermanProfile, {"x"}, ""},
    {"EqualsForm", {"--language=french", "x"}, BatchAction::Convert, &kFrenchProfile, {"x"}, ""},
    {"ShortOption", {"-l", "de", "x"}, BatchAction::Convert, &kGermanProfile, {"x"}, ""},
    {"ShortOptionJoined", {"-lfr", "x"}, BatchAction::Convert, &kFrenchProfile, {"x"}, ""},
    {"LanguageAfterFolders",
     {"a", "b", "-l", "de"},
     BatchAction::Convert,
     &kGermanProfile,
     {"a", "b"},
     ""},
    {"SeveralFoldersInOrder",
     {"-l", "de", "c", "a b", "c"},
     BatchAction::Convert,
     &kGermanProfile,
     {"c", "a b", "c"},
     ""},
    {"Utf8Folder",
     {"-l", "de",
      "Spielst\xC3\xA4nde/\xC3\x9C"
      "bung"},
     BatchAction::Convert,
     &kGermanProfile,
     {"Spielst\xC3\xA4nde/\xC3\x9C"
      "bung"},
     ""},
    {"LastLanguageCounts",
     {"-l", "fr", "-l", "de", "x"},
     BatchAction::Convert,
     &kGermanProfile,
     {"x"},
     ""},
    {"DashDashEndsOptions",
     {"-l", "de", "--", "-odd", "--help"},
     BatchAction::Convert,
     &kGermanProfile,
     {"-odd", "--help"},
     ""},
    {"LoneDashIsAFolder", {"-l", "de", "-"}, BatchAction::Convert, &kGermanProfile, {"-"}, ""},
    {"Help", {"--help"}, BatchAction::Help, nullptr, {}, ""},
    {"HelpShort", {"-h"}, BatchAction::Help, nullptr, {}, ""},
    {"HelpWinsOverMissingFolder", {"-l", "de", "--help"}, BatchAction::Help, nullptr, {}, ""},
    {"Version", {"--version"}, BatchAction::Version, nullptr, {}, ""},
    {"Nothing", {}, BatchAction::UsageError, nullptr, {}, "no language"},
    {"NoLanguage", {"x"}, BatchAction::UsageError, nullptr, {}, "no language"},
    {"LanguageValueMissing",
     {"x", "--language"},
     BatchAction::UsageError,
     nullptr,
     {},
     "needs a language"},
    {"UnknownLanguage", {"-l", "klingon", "x"}, BatchAction::UsageError, nullptr, {}, "'klingon'"},
    {"EmptyLanguage",
     {"--language=", "x"},
     BatchAction::UsageError,
     nullptr,
     {},
     "unknown language"},
    {"English", {"-l", "english", "x"}, BatchAction::UsageError, nullptr, {}, "switched off"},
    {"EnglishShort", {"--language=EN", "x"}, BatchAction::UsageError, nullptr, {}, "switched off"},
    {"NoFolder", {"-l", "de"}, BatchAction::UsageError, nullptr, {}, "no folder"},
    {"UnknownOption",
     {"-l", "de", "--force", "x"},
     BatchAction::UsageError,
     nullptr,
     {},
     "'--force'"},
    {"UnknownEncoding",
     {"-l", "de", "--encoding", "latin1", "x"},
     BatchAction::UsageError,
     nullptr,
     {},
     "unknown encoding 'latin1'"},
    {"EncodingValueMissing",
     {"-l", "de", "x", "--encoding"},
     BatchAction::UsageError,
     nullptr,
     {},
     "needs an encoding"},
    {"EncodingTakesNoShortcut",
     {"-l", "de", "--encoding=utf16", "x"},
     BatchAction::UsageError,
     nullptr,
     {},
     "utf-16le or utf-16be"},
    {"EncodingBeforeTheFolders",
     {"--encoding", "utf-8", "-l", "fr", "a"},
     BatchAction::Convert,
     &kFrenchProfile,
     {"a"},
     ""},
    {"Recursive",
     {"--recursive", "-l", "de", "x"},
     BatchAction::Convert,
     &kGermanProfile,
     {"x"},
     "",
     true},
    {"RecursiveShortAfterFolders",
     {"-l", "fr", "x", "y", "-r"},
     BatchAction::Convert,
     &kFrenchProfile,
     {"x", "y"},
     "",
     true},
    {"FolderNamedLikeRecursive",
     {"-l", "de", "--", "-r", "--recursive"},
     BatchAction::Convert,
     &kGermanProfile,
     {"-r", "--recursive"},
     "",
     false},
    {"RecursiveNeedsAFolder",
     {"-l", "de", "-r"},
     BatchAction::UsageError,
     nullptr,
     {},
     "no folder"},
    {"RecursiveTakesNoValue",
     {"-l", "de", "--recursive=yes", "x"},
     BatchAction::UsageError,
     nullptr,
     {},
     "'--recursive=yes'"},
};

class Parse : public ::testing::TestWithParam<ParseRow> {};

void PrintTo(const ParseRow& row, std::ostream* os) {
    *os << row.Name;
}

TEST_P(Parse, Arguments) {
    const ParseRow& row = GetParam();
    const BatchArguments parsed = ParseArguments(row.Args);
    ASSERT_EQ(parsed.Action, row.Action) << parsed.Error;
    if (row.Action == BatchAction::Convert) {
        EXPECT_EQ(parsed.Profile, row.Profile);
        std::vector<std::string> folders;
        for (const fs::path& folder : parsed.Folders) {
            folders.push_back(test::Utf8(folder));
        }
        EXPECT_EQ(folders, row.Folders);
        EXPECT_EQ(parsed.Recursive, row.Recursive);
    }
    if (row.Action == BatchAction::UsageError) {
        EXPECT_NE(parsed.Error.find(row.ErrorPart), std::string::npos) << parsed.Error;
    } else {
        EXPECT_EQ(parsed.Error, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, Parse, ::testing::ValuesIn(kParseRows), test::RowName());

// --sync, which scripts pass, is taken anywhere among the options (every run flushes its copies
// anyway), and never taken from a folder's name.
TEST(ParseSync, AcceptedAndNeverAFolder) {
    for (const ArgList& args :
         {ArgList{"--sync", "-l", "de", "x"}, ArgList{"-l", "de", "x", "--sync"}}) {
        const BatchArguments parsed = ParseArguments(args);
        EXPECT_EQ(parsed.Action, BatchAction::Convert) << parsed.Error;
        EXPECT_EQ(parsed.Folders, std::vector<fs::path>{"x"});
    }
    const BatchArguments folderNamedSync = ParseArguments({"-l", "de", "--", "--sync"});
    ASSERT_EQ(folderNamedSync.Folders.size(), 1u);
    EXPECT_EQ(folderNamedSync.Folders[0], fs::path("--sync"));
}

// The encoding every source is read in: none unless given (each source tells), the last one
// given counts, and "auto" goes back to none.
struct EncodingRow {
    const char* Name;
    ArgList Args;
    std::optional<SourceEncoding> Encoding;
};

const EncodingRow kEncodingRows[] = {
    {"NotGiven", {"-l", "de", "x"}, std::nullopt},
    {"Auto", {"-l", "de", "--encoding", "auto", "x"}, std::nullopt},
    {"Windows1252", {"-l", "de", "--encoding", "windows-1252", "x"}, SourceEncoding::Windows1252},
    {"Utf8Joined", {"-l", "de", "--encoding=utf-8", "x"}, SourceEncoding::Utf8},
    {"Utf16LEInAnyCase", {"-l", "de", "--encoding", "UTF-16LE", "x"}, SourceEncoding::Utf16LE},
    {"Utf16BE", {"--encoding", "utf-16be", "-l", "de", "x"}, SourceEncoding::Utf16BE},
    {"LastOneCounts", {"-l", "de", "--encoding", "utf-8", "--encoding=auto", "x"}, std::nullopt},
    {"FolderNamedLikeTheOption", {"-l", "de", "--", "--encoding=utf-8"}, std::nullopt},
};

class ParseEncoding : public ::testing::TestWithParam<EncodingRow> {};

void PrintTo(const EncodingRow& row, std::ostream* os) {
    *os << row.Name;
}

TEST_P(ParseEncoding, Option) {
    const BatchArguments parsed = ParseArguments(GetParam().Args);
    ASSERT_EQ(parsed.Action, BatchAction::Convert) << parsed.Error;
    EXPECT_EQ(parsed.Encoding, GetParam().Encoding);
}

INSTANTIATE_TEST_SUITE_P(Rows, ParseEncoding, ::testing::ValuesIn(kEncodingRows), test::RowName());

// ---------------------------------------------------------------------------------------
// The folder check: every folder is looked at before any is converted.

enum class FolderEntry { Folder, File, Missing, LinkToFolder, DanglingLink };

struct FolderRow {
    const char* Name;
    FolderEntry Entry;
    bool Accepted;
    const char* ErrorPart;
};

const FolderRow kFolderRows[] = {
    {"Folder", FolderEntry::Folder, true, ""},
    {"LinkToFolder", FolderEntry::LinkToFolder, true, ""},
    {"File", FolderEntry::File, false, "is not a folder"},
    {"Missing", FolderEntry::Missing, false, "does not exist"},
    {"DanglingLink", FolderEntry::DanglingLink, false, "does not exist"},
};

class CheckFolder : public ::testing::TestWithParam<FolderRow> {};

void PrintTo(const FolderRow& row, std::ostream* os) {
    *os << row.Name;
}

TEST_P(CheckFolder, AcceptsOnlyFolders) {
    const FolderRow& row = GetParam();
    test::TempFolder temp;
    const fs::path good = temp.Path() / "good";
    fs::create_directory(good);
    const fs::path entry = temp.Path() / "entry";
    switch (row.Entry) {
    case FolderEntry::Folder:
        fs::create_directory(entry);
        break;
    case FolderEntry::File:
        temp.Write("entry", "x");
        break;
    case FolderEntry::Missing:
        break;
    case FolderEntry::LinkToFolder:
    case FolderEntry::DanglingLink: {
        std::error_code ec;
        if (row.Entry == FolderEntry::LinkToFolder) {
            fs::create_directory_symlink(good, entry, ec);
        } else {
            fs::create_symlink(temp.Path() / "nowhere", entry, ec);
        }
        if (ec) {
            GTEST_SKIP() << "no symbolic links here: " << ec.message();
        }
        break;
    }
    }

    std::ostringstream err;
    EXPECT_EQ(CheckFolders({good, entry, good}, err), row.Accepted);
    if (row.Accepted) {
        EXPECT_EQ(err.str(), "");
    } else {
        // One message, naming the bad folder only.
        const std::string message = err.str();
        EXPECT_NE(message.find("'" + test::Utf8(entry) + "'"), std::string::npos) << message;
        EXPECT_NE(message.find(row.ErrorPart), std::string::npos) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CheckFolder, ::testing::ValuesIn(kFolderRows), test::RowName());

// ---------------------------------------------------------------------------------------
// Usage errors from the whole command: exit 2, a message and a hint, nothing written.

struct UsageRow {
    const char* Name;
    ArgList Args; // "@" stands for the temporary folder, "@/..." for a path inside it
    const char* ErrorPart;
};

const UsageRow kUsageRows[] = {
    {"NoArguments", {}, "no language"},
    {"English", {"--language", "english", "@"}, "English profile has conversion switched off"},
    {"UnknownLanguage", {"--language", "italian", "@"}, "unknown language 'italian'"},
    {"UnknownEncoding", {"-l", "de", "--encoding", "cp850", "@"}, "unknown encoding 'cp850'"},
    {"NoFolder", {"--language", "german"}, "no folder"},
    {"MissingFolderAfterGoodOne", {"-l", "de", "@", "@/missing"}, "does not exist"},
    {"FileInsteadOfFolder", {"-l", "fr", "@/x.fra", "@"}, "is not a folder"},
};

class Usage : public ::testing::TestWithParam<UsageRow> {};

void PrintTo(const UsageRow& row, std::ostream* os) {
    *os << row.Name;
}

TEST_P(Usage, ExitsWithTwoAndConvertsNothing) {
    const UsageRow& row = GetParam();
    test::TempFolder temp;
    temp.Write("x.deu", "Gr\xFC\xDF"
                        "e\r\n");
    temp.Write("x.fra", "\xE9t\xE9\r\n");
    ArgList args;
    for (const std::string& arg : row.Args) {
        args.push_back(arg.starts_with("@") ? test::Utf8(temp.Path()) + arg.substr(1) : arg);
    }

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunBatch(args, out, err), kExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find(row.ErrorPart), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("--help"), std::string::npos) << err.str();
    // Only the two sources are there: no copy, no log.
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), fs::directory_iterator()), 2);
}

INSTANTIATE_TEST_SUITE_P(Rows, Usage, ::testing::ValuesIn(kUsageRows), test::RowName());

TEST(Help, NamesUsageFilesAndExitCodes) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunBatch({"--help"}, out, err), kExitConverted);
    EXPECT_EQ(err.str(), "");
    for (const char* part :
         {"Usage: rz408-convert --language german|french FOLDER...", "NAME.txt",
          "konvertionsfehler.txt", "Erreurs_de_conversion..txt", "UTF-8 or UTF-16",
          "--encoding ENC", "windows-1252", "utf-16be", "Exit status", "-r, --recursive",
          "hidden folders and links to folders are not entered", "--check", "PATH:LINE:COLUMN",
          "lone line feed stays in its line", "3 some would"}) {
        SCOPED_TRACE(part);
        EXPECT_NE(out.str().find(part), std::string::npos) << out.str();
    }
}

TEST(Version, NamesVersionAndLicenseOneLineEach) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunBatch({"--version"}, out, err), kExitConverted);
    EXPECT_EQ(err.str(), "");
    std::istringstream lines(out.str());
    std::string version, license, more;
    std::getline(lines, version);
    std::getline(lines, license);
    EXPECT_EQ(version, "rz408-convert " RZ408_VERSION);
    EXPECT_TRUE(license.starts_with("License " RZ408_LICENSE ": ")) << license;
    EXPECT_FALSE(std::getline(lines, more)) << out.str();
}

// The one rule by which the command shows names: control characters and bytes that are no UTF-8
// as the shell's $'...', everything else as it is; in messages within single quotes.
struct ShownRow {
    const char* Name;
    std::string Text;
    std::string Quoted;
    std::string Shown;
};

// clang-format off
const ShownRow kShownRows[] = {
    {"Plain", "a b\xC3\xBC.deu", "'a b\xC3\xBC.deu'", "a b\xC3\xBC.deu"},
    {"Empty", "", "''", ""},
    {"LineFeedForgesNoLine", "a\nFORGED.deu:9:9: x", "'a'$'\\n''FORGED.deu:9:9: x'",
     "a$'\\n'FORGED.deu:9:9: x"},
    {"EscapeSequenceFirst", "\x1B[2Jx", "$'\\033''[2Jx'", "$'\\033'[2Jx"},
    {"RunOfControlsLast", "x\r\t\x07\x7F", "'x'$'\\r\\t\\a\\177'", "x$'\\r\\t\\a\\177'"},
    {"C1ControlAsUtf8", "a\xC2\x9B" "b", "'a'$'\\302\\233''b'", "a$'\\302\\233'b"},
    {"BytesThatAreNoUtf8", "Gr\xFC\xDF" "e", "'Gr'$'\\374\\337''e'", "Gr$'\\374\\337'e"},
};
// clang-format on

class Shown : public ::testing::TestWithParam<ShownRow> {};

TEST_P(Shown, ControlsAsTheShellWritesThem) {
    const ShownRow& row = GetParam();
    EXPECT_EQ(QuotedText(row.Text), row.Quoted);
    EXPECT_EQ(ShownText(row.Text), row.Shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, Shown, ::testing::ValuesIn(kShownRows), test::RowName());

TEST(Output, AFailedStandardOutputIsAFailure) {
    test::TempFolder temp;
    temp.Write("x.deu", "abc\r\n");
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    std::ostringstream err;
    Module1 m;
    EXPECT_EQ(ConvertFolders(kGermanProfile, {temp.Path()}, m, out, err), kExitFileFailed);
    EXPECT_NE(err.str().find("standard output"), std::string::npos) << err.str();
}

TEST(Output, FindingsThatCannotBeWrittenAreAFailure) {
    test::TempFolder temp;
    temp.Write("x.deu", "a\x96\r\n");
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(CheckSources(kGermanProfile, {temp.Path()}, std::nullopt, out, err), kExitFileFailed);
    EXPECT_NE(err.str().find("standard output"), std::string::npos) << err.str();
}

} // namespace
} // namespace rz408
