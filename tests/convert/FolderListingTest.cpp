// SPDX-License-Identifier: GPL-3.0-or-later
// The file list's rules: which names match a pattern, which files a folder lists, in what order.

#include "FolderListing.h"
#include "Capabilities_linux.h"
#include "Rows.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rz408 {
namespace {

using test::TempFolder;
using test::WriteFile;

struct MatchCase {
    std::string Name;
    std::string Pattern;
    bool Matches;
};

TEST(MatchesPattern, Rows) {
    const std::vector<MatchCase> rows = {
        {"MAP.DEU", "*.deu", true},
        {"map.deu", "*.DEU", true},
        {"a.b.deu", "*.deu", true},
        {".deu", "*.deu", true},
        {"x.deux", "*.deu", false},
        {"x.de", "*.deu", false},
        {"xdeu", "*.deu", false},
        {"x.fra", "*.deu", false},
        {"Tolvar Quennel.tqu", "Tolvar Quennel.tqu", true},
        {"tolvar quennel.TQU", "Tolvar Quennel.tqu", true},
        {"Tolvar Quennel.tqux", "Tolvar Quennel.tqu", false},
        {"Tolvar  Quennel.tqu", "Tolvar Quennel.tqu", false},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"abbc", "a?c", false},
        {"a\xC3\xBC"
         "c",
         "a?c", true}, // one character, two bytes
        {"a\xFC"
         "c",
         "a?c", true}, // a byte that is no UTF-8 counts as one character
        {"", "*", true},
        {"", "?", false},
        {"", "", true},
        {"x", "", false},
        {"abc", "*", true},
        {"abc", "***", true},
        {"abbbc", "a*b*c", true},
        {"acb", "a*b*c", false},
        {"aXbXc.deu", "*x*.DEU", true},
        {"\xC3\x84x.deu", "\xC3\xA4x.deu", false}, // only ASCII letters fold
        {"[a].deu", "[a].deu", true},
        {"b.deu", "[ab].deu", false},
    };
    for (const MatchCase& row : rows) {
        SCOPED_TRACE(row.Name + " ~ " + row.Pattern);
        EXPECT_EQ(MatchesPattern(row.Name, row.Pattern), row.Matches);
    }
}

// A folder with every kind of entry the file list must or must not show.
class ListFolderTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"b.deu", "A.DEU", "c.Deu", "a.deu", ".hidden.deu", "x.fra",
                                 "noext", "Tolvar Quennel.tqu",
                                 "Gr\xC3\xBC\xC3\x9F"
                                 "e.deu",
                                 "raw\xFC.deu", "with:colon.deu"}) {
            WriteFile(m_folder / name, "text");
        }
        std::filesystem::create_directory(m_folder / "dir.deu");
        ASSERT_EQ(::mkfifo((m_folder / "fifo.deu").c_str(), 0644), 0);
        std::filesystem::create_symlink("b.deu", m_folder / "link.deu");
        std::filesystem::create_symlink("missing", m_folder / "broken.deu");
        std::filesystem::create_symlink("loop.deu", m_folder / "loop.deu");
        std::filesystem::create_directory_symlink("dir.deu", m_folder / "dirlink.deu");
        std::filesystem::create_symlink("/dev/null", m_folder / "device.deu");
    }
    TempFolder m_folder;
};

TEST_F(ListFolderTest, Rows) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> rows = {
        {"*.deu",
         {"A.DEU", "a.deu", "b.deu", "broken.deu", "c.Deu",
          "Gr\xC3\xBC\xC3\x9F"
          "e.deu",
          "link.deu", "loop.deu", "raw\xFC.deu", "with:colon.deu"}},
        {"*.fra", {"x.fra"}},
        {"*.FRA", {"x.fra"}},
        {"Tolvar Quennel.tqu", {"Tolvar Quennel.tqu"}},
        {"B.DEU", {"b.deu"}},
        {"dir.deu", {}},
        {"fifo.deu", {}},
        // Links that cannot be followed are listed, for the run to name them as failed; links
        // to a folder or a device are not.
        {"broken.deu", {"broken.deu"}},
        {"loop.deu", {"loop.deu"}},
        {"dirlink.deu", {}},
        {"device.deu", {}},
        {".hidden.deu", {}},
        {"*.txt", {}},
    };
    for (const auto& [pattern, names] : rows) {
        SCOPED_TRACE(pattern);
        EXPECT_EQ(ListFolder(m_folder.Path(), pattern), names);
    }
}

TEST_F(ListFolderTest, EverythingOrdinaryWithStar) {
    const std::vector<std::string> names = ListFolder(m_folder.Path(), "*");
    const std::vector<std::string> expected = {"A.DEU",
                                               "a.deu",
                                               "b.deu",
                                               "broken.deu",
                                               "c.Deu",
                                               "Gr\xC3\xBC\xC3\x9F"
                                               "e.deu",
                                               "link.deu",
                                               "loop.deu",
                                               "noext",
                                               "raw\xFC.deu",
                                               "Tolvar Quennel.tqu",
                                               "with:colon.deu",
                                               "x.fra"};
    EXPECT_EQ(names, expected);
}

// What cannot be listed lists nothing, and says why: it never passes for an empty folder.
struct UnlistableRow {
    const char* Name;
    friend void PrintTo(const UnlistableRow& row, std::ostream* out) { *out << row.Name; }
    std::filesystem::path (*Make)(const TempFolder& folder); // the folder to list

    std::errc Error;
};

class Unlistable : public testing::TestWithParam<UnlistableRow> {};

TEST_P(Unlistable, NothingAndTheReason) {
    TempFolder folder;
    WriteFile(folder / "a.deu", "x");
    const std::filesystem::path path = GetParam().Make(folder);
    std::vector<std::string> names = {"not called"};
    std::error_code error;
    {
        test::WithoutReadOverride unprivileged;
        if (GetParam().Error == std::errc::permission_denied && !unprivileged.Dropped() &&
            ::access(path.c_str(), R_OK) == 0) {
            ::chmod(folder.Path().c_str(), 0755);
            GTEST_SKIP() << "a folder of mode 000 stays readable here";
        }
        // Every descriptor taken, where the row asks for it.
        rlimit before{};
        ::getrlimit(RLIMIT_NOFILE, &before);
        if (GetParam().Error == std::errc::too_many_files_open) {
            const int lowestFree = ::dup(0);
            ::close(lowestFree);
            rlimit none = before;
            none.rlim_cur = static_cast<rlim_t>(lowestFree);
            ::setrlimit(RLIMIT_NOFILE, &none);
        }
        names = ListFolder(path, "*.deu", error);
        ::setrlimit(RLIMIT_NOFILE, &before);
    }
    ::chmod(folder.Path().c_str(), 0755);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(error, GetParam().Error) << error.message();
    // The folder itself, listed again, is no failure.
    EXPECT_EQ(ListFolder(folder.Path(), "*.deu", error), std::vector<std::string>{"a.deu"});
    EXPECT_FALSE(error) << error.message();
}

INSTANTIATE_TEST_SUITE_P(
    ListFolder, Unlistable,
    testing::Values(UnlistableRow{"Missing", [](const TempFolder& f) { return f / "missing"; },
                                  std::errc::no_such_file_or_directory},
                    UnlistableRow{"AFile", [](const TempFolder& f) { return f / "a.deu"; },
                                  std::errc::not_a_directory},
                    UnlistableRow{"NoPath",
                                  [](const TempFolder&) { return std::filesystem::path(); },
                                  std::errc::no_such_file_or_directory},
                    UnlistableRow{"Unreadable",
                                  [](const TempFolder& f) {
                                      ::chmod(f.Path().c_str(), 0);
                                      return f.Path();
                                  },
                                  std::errc::permission_denied},
                    UnlistableRow{"NoDescriptorLeft", [](const TempFolder& f) { return f.Path(); },
                                  std::errc::too_many_files_open}),
    test::RowName());

// A folder that may be read but not searched lists its files (their kinds known from the listing
// itself), so that a run names each as failed with the reason instead of passing over them; the
// window's file list shows them too.
TEST(UnsearchableFolder, ListsItsFiles) {
    TempFolder folder;
    WriteFile(folder / "a.deu", "x");
    ::chmod(folder.Path().c_str(), 0444);
    std::error_code error;
    std::vector<std::string> names;
    {
        test::WithoutReadOverride unprivileged;
        names = ListFolder(folder.Path(), "*.deu", error);
    }
    ::chmod(folder.Path().c_str(), 0755);
    EXPECT_EQ(names, std::vector<std::string>{"a.deu"});
    EXPECT_FALSE(error) << error.message();
}

TEST(PathInFolder, Rows) {
    const std::filesystem::path folder = "/games/rz";
    EXPECT_EQ(PathInFolder(folder, "MAP.DEU").native(), "/games/rz/MAP.DEU");
    EXPECT_EQ(PathInFolder(folder, "Gr\xC3\xBC\xC3\x9F"
                                   "e.deu")
                  .native(),
              "/games/rz/Gr\xC3\xBC\xC3\x9F"
              "e.deu");
    EXPECT_EQ(PathInFolder(folder, "raw\xFC.deu").native(), "/games/rz/raw\xFC.deu");
    EXPECT_EQ(PathInFolder("/", "a.deu").native(), "/a.deu");
}

TEST(PathInFolder, ListedNamesOpenTheirFiles) {
    TempFolder folder;
    for (const char* name : {"Gr\xC3\xBC\xC3\x9F"
                             "e.deu",
                             "raw\xFC.deu", "sp ace.deu"}) {
        WriteFile(folder / name, name);
    }
    for (const std::string& name : ListFolder(folder.Path(), "*.deu")) {
        SCOPED_TRACE(name);
        EXPECT_EQ(test::ReadFile(PathInFolder(folder.Path(), name)), name);
    }
}

} // namespace
} // namespace rz408
