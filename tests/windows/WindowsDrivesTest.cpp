// SPDX-License-Identifier: GPL-3.0-or-later
// The drives of the drive list on Windows (run under Wine, whose C: and Z: are fixed disks):
// each entry as the drive list shows it ("c: [label]" or bare), kernel32's own GetDriveTypeA,
// and the drive check over them.

#include "DriveSystem_windows.h"

#include "Rows.h"
#include "WindowsFiles.h"

#include <gtest/gtest.h>

#include <ostream>
#include <regex>
#include <string>
#include <vector>

namespace rz408 {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<DriveSystem> Drives() {
    return MakeSystemDrives();
}

// The letter of a drive that is not there ('\0' when all are taken).
char AbsentLetter() {
    const DWORD present = ::GetLogicalDrives();
    for (char letter = 'y'; letter > 'b'; --letter) {
        if ((present & (1u << (letter - 'a'))) == 0) {
            return letter;
        }
    }
    return '\0';
}

bool HasBrackets(const std::string& entry) {
    return entry.find(" [") != std::string::npos;
}

// ---------------------------------------------------------------------------------------
// The entry text of each kind of drive. Each entry is also put to the drive check as if it
// were drive C: (a fixed disk under Wine), with the system's own GetDriveTypeA: an entry with
// a bracketed name is accepted whatever the disk, a bare one is refused.

struct EntryRow {
    const char* Name;
    WindowsDriveFacts Facts;
    const char* Entry;
    bool Accepted;
};
void PrintTo(const EntryRow& row, std::ostream* os) {
    *os << row.Name;
}

const EntryRow kEntryRows[] = {
    {"FixedLabelled", {'c', DriveType::Fixed, "SYSTEM", ""}, "c: [SYSTEM]", true},
    {"FixedUnlabelled", {'c', DriveType::Fixed, "", ""}, "c: [Local Disk]", true},
    {"FixedUmlautLabel",
     {'c', DriveType::Fixed, "Spiele \xC3\x84", ""},
     "c: [Spiele \xC3\x84]",
     true},
    {"Floppy", {'c', DriveType::Removable, "", ""}, "c:", false},
    {"RemovableLabelled", {'c', DriveType::Removable, "STICK", ""}, "c:", false},
    {"Network", {'c', DriveType::Remote, "", "\\\\server\\games"}, "c: [\\\\server\\games]", true},
    {"NetworkNoShare", {'c', DriveType::Remote, "DATEN", ""}, "c: [DATEN]", true},
    {"NetworkNothing", {'c', DriveType::Remote, "", ""}, "c: [Network Drive]", true},
    {"Optical", {'c', DriveType::CdRom, "GAME_CD", ""}, "c:", false},
    {"RamDisk", {'c', DriveType::RamDisk, "", ""}, "c: [RAM Disk]", true},
    {"RamDiskLabelled", {'c', DriveType::RamDisk, "RAMDRIVE", ""}, "c: [RAMDRIVE]", true},
    {"Unknown", {'c', DriveType::Unknown, "", ""}, "c:", false},
};

class EntryTest : public ::testing::TestWithParam<EntryRow> {};

TEST_P(EntryTest, ShownFormAndDriveCheck) {
    const EntryRow& row = GetParam();
    EXPECT_EQ(WindowsDriveEntry(row.Facts), row.Entry);
    const auto drives = Drives();
    EXPECT_EQ(DriveCheckAccepts(*drives, row.Entry), row.Accepted);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EntryTest, ::testing::ValuesIn(kEntryRows), test::RowName());

// ---------------------------------------------------------------------------------------
// kernel32's GetDriveTypeA as the drive check calls it.

struct QueryRow {
    const char* Name;
    std::string Text; // '?' first: a letter of no present drive
    DriveType Answer;
};
void PrintTo(const QueryRow& row, std::ostream* os) {
    *os << row.Name;
}

const QueryRow kQueryRows[] = {
    {"FixedRoot", "c:\\", DriveType::Fixed},
    {"FixedRootUpper", "C:\\", DriveType::Fixed},
    {"SecondFixedRoot", "z:\\", DriveType::Fixed},
    {"FloppyRoot", "a:\\", DriveType::Removable},
    {"CdRomRoot", "d:\\", DriveType::CdRom},
    {"CdRomRootUpper", "D:\\", DriveType::CdRom},
    {"EntryOfFixedDisk", "c: [Local Disk]\\", DriveType::NoRootDir},
    {"EntryWithLabel", "c: [SYSTEM]\\", DriveType::NoRootDir},
    {"EntryWithWindows1252Label", "c: [Spiele \xC4]\\", DriveType::NoRootDir},
    {"EntryOfNetworkDrive", "z: [\\\\server\\games]\\", DriveType::NoRootDir},
    {"AbsentRoot", "?:\\", DriveType::NoRootDir},
    {"AbsentEntry", "?: [GONE]\\", DriveType::NoRootDir},
};

class QueryTest : public ::testing::TestWithParam<QueryRow> {};

TEST_P(QueryTest, AnswersAsKernel32) {
    const QueryRow& row = GetParam();
    std::string text = row.Text;
    if (text[0] == '?') {
        text[0] = AbsentLetter();
        ASSERT_NE(text[0], '\0') << "every drive letter is taken";
    }
    EXPECT_EQ(Drives()->GetDriveTypeA(text), row.Answer) << text;
}

INSTANTIATE_TEST_SUITE_P(Wine, QueryTest, ::testing::ValuesIn(kQueryRows), test::RowName());

// ---------------------------------------------------------------------------------------
// The machine's own drive list.

TEST(WindowsDrives, EntriesAreWellFormedAndAgreeWithTheQuery) {
    const auto drives = Drives();
    const std::vector<std::string> entries = drives->DriveEntries();
    ASSERT_FALSE(entries.empty());
    const std::regex form(R"([a-z]:( \[[^\]]+\])?)");
    char previous = '\0';
    bool sawC = false;
    bool sawZ = false;
    for (const std::string& entry : entries) {
        SCOPED_TRACE(entry);
        EXPECT_TRUE(std::regex_match(entry, form));
        EXPECT_GT(entry[0], previous) << "by letter, each once";
        previous = entry[0];
        // A bracketed name exactly for the drives the check accepts: fixed disks, network
        // drives and RAM disks, by the type of the drive's bare root.
        const DriveType type = drives->GetDriveTypeA(std::string{entry[0], ':', '\\'});
        const bool named =
            type == DriveType::Fixed || type == DriveType::Remote || type == DriveType::RamDisk;
        EXPECT_EQ(HasBrackets(entry), named) << "type " << static_cast<unsigned>(type);
        EXPECT_EQ(DriveCheckAccepts(*drives, entry), named);
        sawC = sawC || entry.starts_with("c: [");
        sawZ = sawZ || entry.starts_with("z: [");
    }
    EXPECT_TRUE(sawC) << "Wine's C: is a fixed disk";
    EXPECT_TRUE(sawZ) << "Wine's Z: is a fixed disk";
}

// The current drive and the current folder of a drive, as the folder list opens them.
class CurrentFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_before.resize(::GetCurrentDirectoryW(0, nullptr));
        m_before.resize(
            ::GetCurrentDirectoryW(static_cast<DWORD>(m_before.size()), m_before.data()));
    }
    void TearDown() override { ::SetCurrentDirectoryW(m_before.c_str()); }

    static std::wstring Lower(std::wstring text) {
        for (wchar_t& c : text) {
            c = static_cast<wchar_t>(towlower(c));
        }
        return text;
    }

    std::wstring m_before;
};

TEST_F(CurrentFolderTest, FollowsTheProcesssCurrentFolder) {
    const auto drives = Drives();
    wchar_t windows[MAX_PATH] = {};
    ASSERT_NE(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring folder = windows; // C:\windows under Wine
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));

    const std::string current = drives->CurrentDrive();
    EXPECT_TRUE(current.starts_with("c: [")) << current;
    EXPECT_TRUE(DriveCheckAccepts(*drives, current));

    struct Row {
        std::string DriveText;
        std::wstring Folder; // lower case; empty: no such drive
    };
    const char absent = AbsentLetter();
    ASSERT_NE(absent, '\0');
    const std::vector<Row> rows = {
        {current, Lower(folder)},
        {"C:", Lower(folder)},
        {"c", Lower(folder)},
        {std::string{absent, ':'}, L""},
        {"", L""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.DriveText);
        EXPECT_EQ(Lower(drives->CurrentFolderOf(row.DriveText).wstring()), row.Folder);
    }
    // Another drive: its own current folder, which lies on it.
    const std::wstring onZ = Lower(drives->CurrentFolderOf("z: [x]").wstring());
    EXPECT_TRUE(onZ.starts_with(L"z:\\")) << fs::path(onZ).string();
}

TEST_F(CurrentFolderTest, CurrentDriveOfAnotherDrive) {
    const auto drives = Drives();
    ASSERT_TRUE(::SetCurrentDirectoryW(L"Z:\\"));
    EXPECT_TRUE(drives->CurrentDrive().starts_with("z: [")) << drives->CurrentDrive();
    EXPECT_EQ(Lower(drives->CurrentFolderOf("z:").wstring()), L"z:\\");
}

} // namespace
} // namespace rz408
