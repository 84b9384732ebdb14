// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion and the listing on Windows' own file system (run under Wine): names in
// UTF-16, hidden and system marks, replacing targets and the log, names that differ only in
// case, and files that another program holds open.

#include "WindowsFiles.h"
#include "TestFiles.h"

#include "ConversionRun.h"
#include "FileErrors.h"
#include "Folder.h"
#include "FolderListing.h"
#include "LanguageProfile.h"
#include "Module1.h"
#include "ReadWrite.h"
#include "Replace.h"
#include "Rows.h"
#include "RunReport.h"
#include "WideText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace rz408 {
namespace {

using namespace test;
namespace fs = std::filesystem;

Module1 German() {
    Module1 m;
    InstallProgramTexts(kGermanProfile, m);
    return m;
}

// A source whose one special character (code 150) becomes a blank and gets a log entry.
const std::string kSource = "Schwert\x96Schild\r\n";
const std::string kTarget = "Schwert Schild\r\n";
const std::string kEntry =
    "\r\n             \x96 (ascii werte 150) ist konvertiert zu leerzeichen.";

// The log record of a source listed as CP1252_NAME holding kSource.
std::string Record(const std::string& cp1252Name) {
    return cp1252Name + " : " + kEntry + "\r\n";
}

// A name with a lone surrogate has no UTF-8 form: the listing and the sweep of leftovers pass
// over it (Wine cannot make such a name, so no folder holds one here).
TEST(WindowsNames, NamesWithoutUtf8FormAreTold) {
    const std::pair<const wchar_t*, std::optional<std::string>> rows[] = {
        {L"a.deu", "a.deu"},
        {L"\u00e4\u00df.deu", "\xC3\xA4\xC3\x9F.deu"},
        {L"\xD83D\xDE00.deu", "\xF0\x9F\x98\x80.deu"},
        {L"a\xD800.deu", std::nullopt},
        {L".a.txt.rz408-tmp-abcdefgh123\xDC00", std::nullopt},
    };
    for (const auto& [wide, utf8] : rows) {
        EXPECT_EQ(NameToUtf8(wide), utf8) << WideToUtf8(wide);
    }
}

// ---------------------------------------------------------------------------------------
// The listing: the file list leaves out folders and files marked hidden or system.

struct ListingRow {
    const char* Name;
    const wchar_t* File;
    DWORD Attributes; // 0: a folder of that name
    bool Listed;
};
void PrintTo(const ListingRow& row, std::ostream* os) {
    *os << row.Name;
}

const ListingRow kListingRows[] = {
    {"Ordinary", L"ordinary.deu", FILE_ATTRIBUTE_NORMAL, true},
    {"ReadOnly", L"readonly.deu", FILE_ATTRIBUTE_READONLY, true},
    {"Archive", L"archive.deu", FILE_ATTRIBUTE_ARCHIVE, true},
    {"UpperCase", L"MAP.DEU", FILE_ATTRIBUTE_NORMAL, true},
    {"Hidden", L"hidden.deu", FILE_ATTRIBUTE_HIDDEN, false},
    {"System", L"system.deu", FILE_ATTRIBUTE_SYSTEM, false},
    {"HiddenSystem", L"both.deu", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
    {"Folder", L"folder.deu", 0, false},
};

class ListingTest : public ::testing::TestWithParam<ListingRow> {};

TEST_P(ListingTest, ListsOrdinaryFilesOnly) {
    const ListingRow& row = GetParam();
    TempFolder folder;
    WriteFile(folder.Path() / L"0.deu", "x"); // listed first
    const fs::path file = folder.Path() / row.File;
    if (row.Attributes == 0) {
        fs::create_directory(file);
    } else {
        WriteFile(file, "x");
        ASSERT_TRUE(::SetFileAttributesW(file.c_str(), row.Attributes));
    }
    const std::vector<std::string> names = ListFolder(folder.Path(), "*.deu");
    std::vector<std::string> expected = {"0.deu"};
    if (row.Listed) {
        expected.push_back(Utf8(row.File));
    }
    EXPECT_EQ(names, expected);
}

INSTANTIATE_TEST_SUITE_P(Attributes, ListingTest, ::testing::ValuesIn(kListingRows),
                         test::RowName());

// ---------------------------------------------------------------------------------------
// Names as the system holds them, in UTF-16: listed in UTF-8, opened and written under their
// own names, and written into the log in Windows-1252 ('?' for what it lacks).

TEST(WindowsNames, Utf16NamesConvertAndLogInWindows1252) {
    struct Name {
        const wchar_t* Source;
        const wchar_t* Target;
        std::string InLog; // Windows-1252
    };
    // In the listing's order: ASCII letters without regard to case, then the UTF-8 bytes.
    const std::vector<Name> names = {
        {L"Stra\u00DFe.deu", L"Stra\u00DFe.txt",
         "Stra\xDF"
         "e.deu"},
        {L"\u00C4rger.deu", L"\u00C4rger.txt", "\xC4rger.deu"},
        {L"\u00C5\U0001F600.deu", L"\u00C5\U0001F600.txt", "\xC5?.deu"},
        {L"\u03A9mega.deu", L"\u03A9mega.txt", "?mega.deu"},
    };
    TempFolder folder(L"rz408-\u00FCml\u00E4ut-\u03A9");
    for (const Name& name : names) {
        WriteFile(folder.Path() / name.Source, kSource);
    }
    Module1 m = German();
    const std::vector<std::string> listed = ListFolder(folder.Path(), "*.deu");
    std::vector<std::string> expectedListed;
    for (const Name& name : names) {
        expectedListed.push_back(Utf8(name.Source));
    }
    ASSERT_EQ(listed, expectedListed);

    const RunReport report = ConversionRun(m, folder.Path(), listed);
    EXPECT_TRUE(report.Failures.empty());
    EXPECT_EQ(report.Converted, names.size());
    std::string expectedLog;
    for (const Name& name : names) {
        SCOPED_TRACE(name.InLog);
        EXPECT_EQ(ReadFile(folder.Path() / name.Target), kTarget);
        expectedLog += Record(name.InLog);
    }
    EXPECT_EQ(ReadFile(folder.Path() / L"konvertionsfehler.txt"), expectedLog);
}

// ---------------------------------------------------------------------------------------
// Paths: the folder, a backslash and the name.

struct PathRow {
    const char* Name;
    const wchar_t* Folder;
    const char* File; // UTF-8
    const wchar_t* Path;
};
void PrintTo(const PathRow& row, std::ostream* os) {
    *os << row.Name;
}

const PathRow kPathRows[] = {
    {"Folder", L"C:\\Spiele\\Vandrok", "MAP.DEU", L"C:\\Spiele\\Vandrok\\MAP.DEU"},
    {"DriveRoot", L"C:\\", "a.b.deu", L"C:\\a.b.deu"},
    {"Umlaut", L"D:\\K\u00F6nig",
     "Stra\xC3\x9F"
     "e.deu",
     L"D:\\K\u00F6nig\\Stra\u00DFe.deu"},
    {"OutsideCp1252", L"D:\\\u041C\u0438\u0440", "\xCE\xA9.deu",
     L"D:\\\u041C\u0438\u0440\\\u03A9.deu"},
};

class PathTest : public ::testing::TestWithParam<PathRow> {};

TEST_P(PathTest, JoinsWithOneBackslash) {
    const PathRow& row = GetParam();
    EXPECT_EQ(PathInFolder(row.Folder, row.File).wstring(), std::wstring(row.Path));
}

INSTANTIATE_TEST_SUITE_P(Windows, PathTest, ::testing::ValuesIn(kPathRows), test::RowName());

// ---------------------------------------------------------------------------------------
// Replacing what is there: an old target and an old log are replaced whole, and what takes
// their place is an ordinary file again (the temporary file was hidden); nothing else is left.

struct ReplaceRow {
    const char* Name;
    DWORD OldTargetAttributes; // of the old a.txt
    bool Converted;            // false: the old target must stay as it was
};
void PrintTo(const ReplaceRow& row, std::ostream* os) {
    *os << row.Name;
}

const ReplaceRow kReplaceRows[] = {
    {"OrdinaryTarget", FILE_ATTRIBUTE_NORMAL, true},
    {"HiddenTarget", FILE_ATTRIBUTE_HIDDEN, true},
    // A read-only target is the user's protection: reported, not overwritten.
    {"ReadOnlyTarget", FILE_ATTRIBUTE_READONLY, false},
};

class ReplaceTest : public ::testing::TestWithParam<ReplaceRow> {};

TEST_P(ReplaceTest, ReplacesTargetAndLogWhole) {
    const ReplaceRow& row = GetParam();
    TempFolder folder;
    WriteFile(folder.Path() / L"a.deu", kSource);
    WriteFile(folder.Path() / L"b.deu", "plain\r\n");
    const std::string oldTarget = "an old, longer target that must not shine through\r\n";
    WriteFile(folder.Path() / L"a.txt", oldTarget);
    ASSERT_TRUE(::SetFileAttributesW((folder.Path() / L"a.txt").c_str(), row.OldTargetAttributes));
    WriteFile(folder.Path() / L"b.txt", oldTarget);
    WriteFile(folder.Path() / L"konvertionsfehler.txt", "an old log, longer than the new\r\n");

    Module1 m = German();
    const RunReport report = ConversionRun(m, folder.Path(), {"a.deu", "b.deu"});

    EXPECT_EQ(ReadFile(folder.Path() / L"b.txt"), "plain\r\n");
    if (row.Converted) {
        EXPECT_TRUE(report.Failures.empty());
        EXPECT_EQ(report.Converted, 2u);
        EXPECT_EQ(ReadFile(folder.Path() / L"a.txt"), kTarget);
        EXPECT_EQ(ReadFile(folder.Path() / L"konvertionsfehler.txt"), Record("a.deu"));
    } else {
        ASSERT_EQ(report.Failures.size(), 1u);
        EXPECT_EQ(report.Failures[0].Name, "a.deu");
        EXPECT_FALSE(report.Failures[0].Reason.empty());
        EXPECT_EQ(report.Converted, 1u);
        EXPECT_EQ(ReadFile(folder.Path() / L"a.txt"), oldTarget);
        EXPECT_EQ(ReadFile(folder.Path() / L"konvertionsfehler.txt"), "");
    }
    for (const wchar_t* written : {L"b.txt", L"konvertionsfehler.txt"}) {
        const DWORD attributes = ::GetFileAttributesW((folder.Path() / written).c_str());
        EXPECT_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), 0u)
            << "hidden: " << Utf8(written);
    }
    const std::set<std::wstring> expectedNames = {L"a.deu", L"b.deu", L"a.txt", L"b.txt",
                                                  L"konvertionsfehler.txt"};
    EXPECT_EQ(AllNames(folder.Path()), expectedNames);
    // The new files show in the listing like any other.
    EXPECT_EQ(ListFolder(folder.Path(), "*.txt"),
              (std::vector<std::string>{"a.txt", "b.txt", "konvertionsfehler.txt"}));
}

INSTANTIATE_TEST_SUITE_P(OldFiles, ReplaceTest, ::testing::ValuesIn(kReplaceRows), test::RowName());

// ---------------------------------------------------------------------------------------
// Names that differ only in case name one file: a source whose copy would land on the log
// file is not converted, as on Linux for the exact name, and the log stays intact.

struct CaseRow {
    const char* Name;
    const wchar_t* Source;
};
void PrintTo(const CaseRow& row, std::ostream* os) {
    *os << row.Name;
}

const CaseRow kCaseRows[] = {
    {"UpperCase", L"KONVERTIONSFEHLER.DEU"},
    {"Capitalised", L"Konvertionsfehler.Deu"},
    {"LowerCase", L"konvertionsfehler.deu"},
    {"MixedBase", L"kONVERTIONSfehler.deu"},
};

class LogNameCaseTest : public ::testing::TestWithParam<CaseRow> {};

TEST_P(LogNameCaseTest, SourceOntoLogFileIsRefused) {
    const CaseRow& row = GetParam();
    TempFolder folder;
    WriteFile(folder.Path() / row.Source, kSource);
    WriteFile(folder.Path() / L"other.deu", kSource);
    const std::vector<std::string> names = ListFolder(folder.Path(), "*.deu");
    ASSERT_EQ(names.size(), 2u);

    Module1 m = German();
    const RunReport report = ConversionRun(m, folder.Path(), names);

    ASSERT_EQ(report.Failures.size(), 1u);
    EXPECT_EQ(report.Failures[0].Name, Utf8(row.Source));
    EXPECT_EQ(report.Converted, 1u);
    EXPECT_EQ(ReadFile(folder.Path() / L"other.txt"), kTarget);
    EXPECT_EQ(ReadFile(folder.Path() / L"konvertionsfehler.txt"), Record("other.deu"));
    const std::set<std::wstring> expectedNames = {row.Source, L"other.deu", L"other.txt",
                                                  L"konvertionsfehler.txt"};
    EXPECT_EQ(AllNames(folder.Path()), expectedNames);
}

INSTANTIATE_TEST_SUITE_P(Windows, LogNameCaseTest, ::testing::ValuesIn(kCaseRows), test::RowName());

struct SameNameRow {
    const char* Name;
    const char* A; // UTF-8
    const char* B;
    bool Same;
};
void PrintTo(const SameNameRow& row, std::ostream* os) {
    *os << row.Name;
}

const SameNameRow kSameNameRows[] = {
    {"Exact", "konvertionsfehler.txt", "konvertionsfehler.txt", true},
    {"AsciiCase", "KONVERTIONSFEHLER.TXT", "konvertionsfehler.txt", true},
    {"FrenchLog", "ERREURS_DE_CONVERSION..TXT", "Erreurs_de_conversion..txt", true},
    {"Umlaut", "\xC3\x84RGER.txt", "\xC3\xA4rger.txt", true}, // Ä / ä
    {"Greek", "\xCE\xA9mega.txt", "\xCF\x89mega.txt", true},  // Ω / ω
    {"Different", "konvertionsfehler.txt", "konvertionsfehler2.txt", false},
    {"OneDotLess", "Erreurs_de_conversion.txt", "Erreurs_de_conversion..txt", false},
    {"SharpS",
     "stra\xC3\x9F"
     "e.txt",
     "strasse.txt", false}, // ß is no "ss" here
};

class SameNameTest : public ::testing::TestWithParam<SameNameRow> {};

TEST_P(SameNameTest, ComparesAsTheFileSystemDoes) {
    const SameNameRow& row = GetParam();
    EXPECT_EQ(WouldOverwriteLog(row.A, row.B), row.Same);
    EXPECT_EQ(WouldOverwriteLog(row.B, row.A), row.Same);
}

INSTANTIATE_TEST_SUITE_P(Windows, SameNameTest, ::testing::ValuesIn(kSameNameRows),
                         test::RowName());

// ---------------------------------------------------------------------------------------
// A file that another program holds open without sharing: that file fails with the system's
// reason, the other files are converted, the old files stay, nothing stray is left.

const std::string kOld = "old contents\r\n";

struct HeldRow {
    const char* Name;
    const wchar_t* Held;    // held open during the run; it held kOld before
    const char* FailedName; // the failure's name (UTF-8)
    bool SharingReason;     // the reason is the sharing violation's own wording
    std::uint64_t Converted;
    std::string BTarget; // b.txt afterwards
    std::string Log;     // the log afterwards
};
void PrintTo(const HeldRow& row, std::ostream* os) {
    *os << row.Name;
}

const HeldRow kHeldRows[] = {
    {"Source", L"b.deu", "b.deu", true, 2, "<missing>", Record("a.deu") + Record("c.deu")},
    {"Target", L"b.txt", "b.deu", false, 2, kOld, Record("a.deu") + Record("c.deu")},
    {"LogFile", L"konvertionsfehler.txt", "konvertionsfehler.txt", false, 3, kTarget, kOld},
};

class HeldOpenTest : public ::testing::TestWithParam<HeldRow> {};

TEST_P(HeldOpenTest, FailsThatFileOnly) {
    const HeldRow& row = GetParam();
    TempFolder folder;
    for (const wchar_t* source : {L"a.deu", L"b.deu", L"c.deu"}) {
        WriteFile(folder.Path() / source, kSource);
    }
    WriteFile(folder.Path() / row.Held, kOld);

    Module1 m = German();
    RunReport report;
    {
        HeldOpen holder(folder.Path() / row.Held);
        report = ConversionRun(m, folder.Path(), {"a.deu", "b.deu", "c.deu"});
    }

    ASSERT_EQ(report.Failures.size(), 1u);
    EXPECT_EQ(report.Failures[0].Name, row.FailedName);
    if (row.SharingReason) {
        EXPECT_THAT(report.Failures[0].Reason,
                    ::testing::EndsWith(SystemReason(ERROR_SHARING_VIOLATION)));
    } else {
        EXPECT_FALSE(report.Failures[0].Reason.empty());
    }
    EXPECT_EQ(report.Converted, row.Converted);
    EXPECT_EQ(ReadFile(folder.Path() / row.Held), kOld);
    EXPECT_EQ(ReadFile(folder.Path() / L"a.txt"), kTarget);
    EXPECT_EQ(ReadFile(folder.Path() / L"b.txt"), row.BTarget);
    EXPECT_EQ(ReadFile(folder.Path() / L"c.txt"), kTarget);
    EXPECT_EQ(ReadFile(folder.Path() / L"konvertionsfehler.txt"), row.Log);
    std::set<std::wstring> expectedNames = {L"a.deu", L"b.deu", L"c.deu",
                                            L"a.txt", L"c.txt", L"konvertionsfehler.txt"};
    if (row.BTarget != "<missing>") {
        expectedNames.insert(L"b.txt");
    }
    EXPECT_EQ(AllNames(folder.Path()), expectedNames);
}

INSTANTIATE_TEST_SUITE_P(Windows, HeldOpenTest, ::testing::ValuesIn(kHeldRows), test::RowName());

// ---------------------------------------------------------------------------------------
// A run holds its folder: nobody can rename it away while the run works there by its path.

TEST(WindowsFolder, CannotBeRenamedDuringTheRun) {
    TempFolder base;
    const fs::path folder = base.Path() / L"games";
    const fs::path moved = base.Path() / L"moved";
    fs::create_directory(folder);
    for (const wchar_t* source : {L"a.deu", L"b.deu", L"c.deu"}) {
        WriteFile(folder / source, kSource);
    }
    Module1 m = German();
    RunOptions options;
    BOOL renamed = TRUE;
    DWORD why = ERROR_SUCCESS;
    options.Progress = [&](std::size_t done, std::size_t) {
        if (done == 1) {
            renamed = ::MoveFileW(folder.c_str(), moved.c_str());
            why = ::GetLastError();
        }
    };
    const RunReport report = ConversionRun(m, folder, {"a.deu", "b.deu", "c.deu"}, options);
    EXPECT_FALSE(renamed) << "the folder was renamed during the run";
    EXPECT_EQ(why, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(report.Failures.empty());
    EXPECT_EQ(report.Converted, 3u);
    for (const wchar_t* target : {L"a.txt", L"b.txt", L"c.txt"}) {
        EXPECT_EQ(ReadFile(folder / target), kTarget) << Utf8(target);
    }
    EXPECT_EQ(ReadFile(folder / L"konvertionsfehler.txt"),
              Record("a.deu") + Record("b.deu") + Record("c.deu"));
    // Once the run is over, the folder is the user's again.
    EXPECT_TRUE(::MoveFileW(folder.c_str(), moved.c_str()));
}

// ---------------------------------------------------------------------------------------
// What a stopped run left (its hidden temporary files) is removed by the next run in the folder;
// a temporary file that a live run holds open, and anything merely named like one, stays: a file
// someone named so, the mark of a temporary file (its time of last access) on another name, a
// folder.

struct LeftoverRow {
    const char* Name;
    const wchar_t* Entry; // what is named so in the end; nullptr: as the stopped run named it
    DWORD Attributes;     // 0: a folder of that name
    bool Marked;          // with the time of last access of the stopped run's temporary file
    bool HeldOpen;        // by "another run", without delete sharing
    bool Removed;
};
void PrintTo(const LeftoverRow& row, std::ostream* os) {
    *os << row.Name;
}

constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;

const LeftoverRow kLeftoverRows[] = {
    {"CopyOfAStoppedRun", nullptr, kHidden, true, false, true},
    {"HeldByALiveRun", nullptr, kHidden, true, true, false},
    {"NamedLikeOneByAPerson", L".a.txt.rz408-tmp-abcdefgh1234", kHidden, false, false, false},
    {"HiddenBackup", L".notes.rz408-backup", kHidden, false, false, false},
    {"MarkOfAnotherName", L".a.txt.rz408-tmp-abcdefgh1234", kHidden, true, false, false},
    {"NotHidden", nullptr, FILE_ATTRIBUTE_NORMAL, true, false, false},
    {"Folder", nullptr, 0, true, false, false},
};

// Sets the time of last access of ENTRY (a file or a folder).
void SetLastAccess(const fs::path& entry, const FILETIME& time) {
    const HANDLE handle =
        ::CreateFileW(entry.c_str(), FILE_WRITE_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    FILE_BASIC_INFO basic{};
    basic.LastAccessTime.LowPart = time.dwLowDateTime;
    basic.LastAccessTime.HighPart = static_cast<LONG>(time.dwHighDateTime);
    EXPECT_TRUE(::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic));
    ::CloseHandle(handle);
}

class LeftoverTest : public ::testing::TestWithParam<LeftoverRow> {};

TEST_P(LeftoverTest, OnlyThoseOfStoppedRunsAreRemoved) {
    const LeftoverRow& row = GetParam();
    TempFolder folder;
    WriteFile(folder.Path() / L"a.deu", kSource);
    // A run stopped in the middle of writing its temporary file, which stays.
    std::string name;
    {
        fileops::Folder dir;
        fileops::File file;
        ASSERT_FALSE(fileops::OpenFolder(folder.Path(), dir));
        ASSERT_FALSE(fileops::CreateTemporary(dir, "a.txt", file, name));
        ASSERT_FALSE(fileops::WriteAll(file, "half a co", 9));
    }
    const fs::path left = folder.Path() / std::u8string(name.begin(), name.end());
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(left.c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    ::FindClose(search);
    const fs::path entry = row.Entry != nullptr ? folder.Path() / row.Entry : left;
    if (row.Entry != nullptr || row.Attributes != kHidden || !row.Marked) {
        ASSERT_TRUE(::DeleteFileW(left.c_str()));
        if (row.Attributes == 0) {
            fs::create_directory(entry);
        } else {
            WriteFile(entry, "half a copy");
            ASSERT_TRUE(::SetFileAttributesW(entry.c_str(), row.Attributes));
            if ((row.Attributes & FILE_ATTRIBUTE_HIDDEN) == 0 &&
                (::GetFileAttributesW(entry.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0) {
                GTEST_SKIP() << "this system marks every name that starts with a dot hidden (Wine)";
            }
        }
        if (row.Marked) {
            SetLastAccess(entry, found.ftLastAccessTime);
        }
    }
    Module1 m = German();
    RunReport report;
    {
        std::optional<HeldOpen> holder;
        if (row.HeldOpen) {
            holder.emplace(entry);
        }
        report = ConversionRun(m, folder.Path(), {"a.deu"});
    }
    EXPECT_TRUE(report.Failures.empty());
    EXPECT_EQ(ReadFile(folder.Path() / L"a.txt"), kTarget);
    EXPECT_EQ(AllNames(folder.Path()).count(entry.filename().wstring()) == 0, row.Removed);
}

INSTANTIATE_TEST_SUITE_P(Windows, LeftoverTest, ::testing::ValuesIn(kLeftoverRows),
                         test::RowName());

// A temporary file is the run's alone until it takes its target's place: no other program opens
// it, neither to read it half-written nor to keep it open and write into the copy later.
TEST(WindowsTemporaryFiles, NobodyElseOpensThem) {
    TempFolder folder;
    fileops::Folder dir;
    fileops::File file;
    std::string name;
    ASSERT_FALSE(fileops::OpenFolder(folder.Path(), dir));
    ASSERT_FALSE(fileops::CreateTemporary(dir, "a.txt", file, name));
    const fs::path path = folder.Path() / std::u8string(name.begin(), name.end());
    const HANDLE other = ::CreateFileW(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    const DWORD why = ::GetLastError();
    if (other != INVALID_HANDLE_VALUE) {
        ::CloseHandle(other);
    }
    EXPECT_EQ(other, INVALID_HANDLE_VALUE) << "opened by another program";
    EXPECT_EQ(why, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    fileops::RemoveQuietly(dir, file, name);
}

// A folder where the target would go: reported, the folder stays, nothing stray is left.
TEST(WindowsTargets, FolderInTargetsPlaceFails) {
    TempFolder folder;
    WriteFile(folder.Path() / L"a.deu", kSource);
    WriteFile(folder.Path() / L"b.deu", kSource);
    fs::create_directory(folder.Path() / L"a.txt");

    Module1 m = German();
    const RunReport report = ConversionRun(m, folder.Path(), {"a.deu", "b.deu"});

    ASSERT_EQ(report.Failures.size(), 1u);
    EXPECT_EQ(report.Failures[0].Name, "a.deu");
    EXPECT_THAT(report.Failures[0].Reason,
                ::testing::EndsWith(std::make_error_code(std::errc::is_a_directory).message()));
    EXPECT_EQ(report.Converted, 1u);
    EXPECT_TRUE(fs::is_directory(folder.Path() / L"a.txt"));
    EXPECT_EQ(ReadFile(folder.Path() / L"b.txt"), kTarget);
    const std::set<std::wstring> expectedNames = {L"a.deu", L"b.deu", L"a.txt", L"b.txt",
                                                  L"konvertionsfehler.txt"};
    EXPECT_EQ(AllNames(folder.Path()), expectedNames);
}

// A folder of a walk over a tree (-r) is held while open, so that it cannot be swapped for
// another, and a link or junction in a folder's place is never opened as one.
TEST(WindowsSubfolders, HeldOpenAndNeverALink) {
    TempFolder temp;
    fs::create_directory(temp.Path() / L"sub");
    fileops::Folder parent;
    ASSERT_FALSE(fileops::OpenFolder(temp.Path(), parent));
    {
        fileops::Folder sub;
        ASSERT_FALSE(fileops::OpenSubfolder(parent, "sub", sub));
        EXPECT_FALSE(::MoveFileW((temp.Path() / L"sub").c_str(), (temp.Path() / L"x").c_str()));
    }
    // Wine reports the link as made, but makes none.
    const fs::path link = temp.Path() / L"link";
    if (!::CreateSymbolicLinkW(link.c_str(), (temp.Path() / L"sub").c_str(),
                               SYMBOLIC_LINK_FLAG_DIRECTORY |
                                   SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
        ::GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "no symbolic links here: " << SystemReason(::GetLastError());
    }
    fileops::Folder opened;
    EXPECT_EQ(fileops::OpenSubfolder(parent, "link", opened), fileops::LinkNotFollowed());
    EXPECT_FALSE(opened.IsOpen());
}

} // namespace
} // namespace rz408
