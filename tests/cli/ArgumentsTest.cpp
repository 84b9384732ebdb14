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
using Action = BatchArguments::Action;
using Args = std::vector<std::string>;

struct ParseRow {
    const char* name;
    Args args;
    Action action;
    const LanguageProfile* profile; // for Convert
    std::vector<std::string> folders;
    const char* errorPart;  // for UsageError: a piece of the message
    bool recursive = false; // for Convert
};

const ParseRow kParseRows[] = {
    {"LongGerman", {"--language", "german", "x"}, Action::Convert, &kGermanProfile, {"x"}, ""},
    {"LongFrench", {"--language", "french", "x"}, Action::Convert, &kFrenchProfile, {"x"}, ""},
    {"ShortCodes", {"--language", "de", "x"}, Action::Convert, &kGermanProfile, {"x"}, ""},
    {"ShortCodeFr", {"--language", "fr", "x"}, Action::Convert, &kFrenchProfile, {"x"}, ""},
    {"AnyCase", {"--language", "GerMAN", "x"}, Action::Convert, &kGermanProfile, {"x"}, ""},
    {"EqualsForm", {"--language=french", "x"}, Action::Convert, &kFrenchProfile, {"x"}, ""},
    {"ShortOption", {"-l", "de", "x"}, Action::Convert, &kGermanProfile, {"x"}, ""},
    {"ShortOptionJoined", {"-lfr", "x"}, Action::Convert, &kFrenchProfile, {"x"}, ""},
    {"LanguageAfterFolders",
     {"a", "b", "-l", "de"},
     Action::Convert,
     &kGermanProfile,
     {"a", "b"},
     ""},
    {"SeveralFoldersInOrder",
     {"-l", "de", "c", "a b", "c"},
     Action::Convert,
     &kGermanProfile,
     {"c", "a b", "c"},
     ""},
    {"Utf8Folder",
     {"-l", "de",
      "Spielst\xC3\xA4nde/\xC3\x9C"
      "bung"},
     Action::Convert,
     &kGermanProfile,
     {"Spielst\xC3\xA4nde/\xC3\x9C"
      "bung"},
     ""},
    {"LastLanguageCounts",
     {"-l", "fr", "-l", "de", "x"},
     Action::Convert,
     &kGermanProfile,
     {"x"},
     ""},
    {"DashDashEndsOptions",
     {"-l", "de", "--", "-odd", "--help"},
     Action::Convert,
     &kGermanProfile,
     {"-odd", "--help"},
     ""},
    {"LoneDashIsAFolder", {"-l", "de", "-"}, Action::Convert, &kGermanProfile, {"-"}, ""},
    {"Help", {"--help"}, Action::Help, nullptr, {}, ""},
    {"HelpShort", {"-h"}, Action::Help, nullptr, {}, ""},
    {"HelpWinsOverMissingFolder", {"-l", "de", "--help"}, Action::Help, nullptr, {}, ""},
    {"Version", {"--version"}, Action::Version, nullptr, {}, ""},
    {"Nothing", {}, Action::UsageError, nullptr, {}, "no language"},
    {"NoLanguage", {"x"}, Action::UsageError, nullptr, {}, "no language"},
    {"LanguageValueMissing",
     {"x", "--language"},
     Action::UsageError,
     nullptr,
     {},
     "needs a language"},
    {"UnknownLanguage", {"-l", "klingon", "x"}, Action::UsageError, nullptr, {}, "'klingon'"},
    {"EmptyLanguage", {"--language=", "x"}, Action::UsageError, nullptr, {}, "unknown language"},
    {"English", {"-l", "english", "x"}, Action::UsageError, nullptr, {}, "switched off"},
    {"EnglishShort", {"--language=EN", "x"}, Action::UsageError, nullptr, {}, "switched off"},
    {"NoFolder", {"-l", "de"}, Action::UsageError, nullptr, {}, "no folder"},
    {"UnknownOption", {"-l", "de", "--force", "x"}, Action::UsageError, nullptr, {}, "'--force'"},
    {"UnknownEncoding",
     {"-l", "de", "--encoding", "latin1", "x"},
     Action::UsageError,
     nullptr,
     {},
     "unknown encoding 'latin1'"},
    {"EncodingValueMissing",
     {"-l", "de", "x", "--encoding"},
     Action::UsageError,
     nullptr,
     {},
     "needs an encoding"},
    {"EncodingTakesNoShortcut",
     {"-l", "de", "--encoding=utf16", "x"},
     Action::UsageError,
     nullptr,
     {},
     "utf-16le or utf-16be"},
    {"EncodingBeforeTheFolders",
     {"--encoding", "utf-8", "-l", "fr", "a"},
     Action::Convert,
     &kFrenchProfile,
     {"a"},
     ""},
    {"Recursive",
     {"--recursive", "-l", "de", "x"},
     Action::Convert,
     &kGermanProfile,
     {"x"},
     "",
     true},
    {"RecursiveShortAfterFolders",
     {"-l", "fr", "x", "y", "-r"},
     Action::Convert,
     &kFrenchProfile,
     {"x", "y"},
     "",
     true},
    {"FolderNamedLikeRecursive",
     {"-l", "de", "--", "-r", "--recursive"},
     Action::Convert,
     &kGermanProfile,
     {"-r", "--recursive"},
     "",
     false},
    {"RecursiveNeedsAFolder", {"-l", "de", "-r"}, Action::UsageError, nullptr, {}, "no folder"},
    {"RecursiveTakesNoValue",
     {"-l", "de", "--recursive=yes", "x"},
     Action::UsageError,
     nullptr,
     {},
     "'--recursive=yes'"},
};

class Parse : public ::testing::TestWithParam<ParseRow> {};

void PrintTo(const ParseRow& row, std::ostream* os) {
    *os << row.name;
}

TEST_P(Parse, Arguments) {
    const ParseRow& row = GetParam();
    const BatchArguments parsed = ParseArguments(row.args);
    ASSERT_EQ(parsed.action, row.action) << parsed.error;
    if (row.action == Action::Convert) {
        EXPECT_EQ(parsed.profile, row.profile);
        std::vector<std::string> folders;
        for (const fs::path& folder : parsed.folders) {
            folders.push_back(test::Utf8(folder));
        }
        EXPECT_EQ(folders, row.folders);
        EXPECT_EQ(parsed.recursive, row.recursive);
    }
    if (row.action == Action::UsageError) {
        EXPECT_NE(parsed.error.find(row.errorPart), std::string::npos) << parsed.error;
    } else {
        EXPECT_EQ(parsed.error, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, Parse, ::testing::ValuesIn(kParseRows), test::RowName());

// --sync, which scripts pass, is taken anywhere among the options (every run flushes its copies
// anyway), and never taken from a folder's name.
TEST(ParseSync, AcceptedAndNeverAFolder) {
    for (const Args& args : {Args{"--sync", "-l", "de", "x"}, Args{"-l", "de", "x", "--sync"}}) {
        const BatchArguments parsed = ParseArguments(args);
        EXPECT_EQ(parsed.action, BatchArguments::Action::Convert) << parsed.error;
        EXPECT_EQ(parsed.folders, std::vector<fs::path>{"x"});
    }
    const BatchArguments folderNamedSync = ParseArguments({"-l", "de", "--", "--sync"});
    ASSERT_EQ(folderNamedSync.folders.size(), 1u);
    EXPECT_EQ(folderNamedSync.folders[0], fs::path("--sync"));
}

// The encoding every source is read in: none unless given (each source tells), the last one
// given counts, and "auto" goes back to none.
struct EncodingRow {
    const char* name;
    Args args;
    std::optional<SourceEncoding> encoding;
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
    *os << row.name;
}

TEST_P(ParseEncoding, Option) {
    const BatchArguments parsed = ParseArguments(GetParam().args);
    ASSERT_EQ(parsed.action, Action::Convert) << parsed.error;
    EXPECT_EQ(parsed.encoding, GetParam().encoding);
}

INSTANTIATE_TEST_SUITE_P(Rows, ParseEncoding, ::testing::ValuesIn(kEncodingRows), test::RowName());

// ---------------------------------------------------------------------------------------
// The folder check: every folder is looked at before any is converted.

enum class Entry { Folder, File, Missing, LinkToFolder, DanglingLink };

struct FolderRow {
    const char* name;
    Entry entry;
    bool accepted;
    const char* errorPart;
};

const FolderRow kFolderRows[] = {
    {"Folder", Entry::Folder, true, ""},
    {"LinkToFolder", Entry::LinkToFolder, true, ""},
    {"File", Entry::File, false, "is not a folder"},
    {"Missing", Entry::Missing, false, "does not exist"},
    {"DanglingLink", Entry::DanglingLink, false, "does not exist"},
};

class CheckFolder : public ::testing::TestWithParam<FolderRow> {};

void PrintTo(const FolderRow& row, std::ostream* os) {
    *os << row.name;
}

TEST_P(CheckFolder, AcceptsOnlyFolders) {
    const FolderRow& row = GetParam();
    test::TempFolder temp;
    const fs::path good = temp.path() / "good";
    fs::create_directory(good);
    const fs::path entry = temp.path() / "entry";
    switch (row.entry) {
    case Entry::Folder:
        fs::create_directory(entry);
        break;
    case Entry::File:
        temp.Write("entry", "x");
        break;
    case Entry::Missing:
        break;
    case Entry::LinkToFolder:
    case Entry::DanglingLink: {
        std::error_code ec;
        if (row.entry == Entry::LinkToFolder) {
            fs::create_directory_symlink(good, entry, ec);
        } else {
            fs::create_symlink(temp.path() / "nowhere", entry, ec);
        }
        if (ec) {
            GTEST_SKIP() << "no symbolic links here: " << ec.message();
        }
        break;
    }
    }

    std::ostringstream err;
    EXPECT_EQ(CheckFolders({good, entry, good}, err), row.accepted);
    if (row.accepted) {
        EXPECT_EQ(err.str(), "");
    } else {
        // One message, naming the bad folder only.
        const std::string message = err.str();
        EXPECT_NE(message.find("'" + test::Utf8(entry) + "'"), std::string::npos) << message;
        EXPECT_NE(message.find(row.errorPart), std::string::npos) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CheckFolder, ::testing::ValuesIn(kFolderRows), test::RowName());

// ---------------------------------------------------------------------------------------
// Usage errors from the whole command: exit 2, a message and a hint, nothing written.

struct UsageRow {
    const char* name;
    Args args; // "@" stands for the temporary folder, "@/..." for a path inside it
    const char* errorPart;
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
    *os << row.name;
}

TEST_P(Usage, ExitsWithTwoAndConvertsNothing) {
    const UsageRow& row = GetParam();
    test::TempFolder temp;
    temp.Write("x.deu", "Gr\xFC\xDF"
                        "e\r\n");
    temp.Write("x.fra", "\xE9t\xE9\r\n");
    Args args;
    for (const std::string& arg : row.args) {
        args.push_back(arg.starts_with("@") ? test::Utf8(temp.path()) + arg.substr(1) : arg);
    }

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunBatch(args, out, err), kExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find(row.errorPart), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("--help"), std::string::npos) << err.str();
    // Only the two sources are there: no copy, no log.
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 2);
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
    const char* name;
    std::string text;
    std::string quoted;
    std::string shown;
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
    EXPECT_EQ(QuotedText(row.text), row.quoted);
    EXPECT_EQ(ShownText(row.text), row.shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, Shown, ::testing::ValuesIn(kShownRows), test::RowName());

TEST(Output, AFailedStandardOutputIsAFailure) {
    test::TempFolder temp;
    temp.Write("x.deu", "abc\r\n");
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    std::ostringstream err;
    Module1 m;
    EXPECT_EQ(ConvertFolders(kGermanProfile, {temp.path()}, m, out, err), kExitFileFailed);
    EXPECT_NE(err.str().find("standard output"), std::string::npos) << err.str();
}

TEST(Output, FindingsThatCannotBeWrittenAreAFailure) {
    test::TempFolder temp;
    temp.Write("x.deu", "a\x96\r\n");
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(CheckSources(kGermanProfile, {temp.path()}, std::nullopt, out, err), kExitFileFailed);
    EXPECT_NE(err.str().find("standard output"), std::string::npos) << err.str();
}

} // namespace
} // namespace rz408
