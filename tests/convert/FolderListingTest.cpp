// The file list's rules: which names match a pattern, which files a folder lists, in what order.

#include "FolderListing.h"
#include "PosixSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace rz408 {
namespace {

using test::TempFolder;
using test::WriteFile;

struct MatchCase {
    std::string name;
    std::string pattern;
    bool matches;
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
        SCOPED_TRACE(row.name + " ~ " + row.pattern);
        EXPECT_EQ(MatchesPattern(row.name, row.pattern), row.matches);
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
            WriteFile(folder / name, "text");
        }
        std::filesystem::create_directory(folder / "dir.deu");
        ASSERT_EQ(::mkfifo((folder / "fifo.deu").c_str(), 0644), 0);
        std::filesystem::create_symlink("b.deu", folder / "link.deu");
        std::filesystem::create_symlink("missing", folder / "broken.deu");
        std::filesystem::create_directory_symlink("dir.deu", folder / "dirlink.deu");
        std::filesystem::create_symlink("/dev/null", folder / "device.deu");
    }
    TempFolder folder;
};

TEST_F(ListFolderTest, Rows) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> rows = {
        {"*.deu",
         {"A.DEU", "a.deu", "b.deu", "c.Deu",
          "Gr\xC3\xBC\xC3\x9F"
          "e.deu",
          "link.deu", "raw\xFC.deu", "with:colon.deu"}},
        {"*.fra", {"x.fra"}},
        {"*.FRA", {"x.fra"}},
        {"Tolvar Quennel.tqu", {"Tolvar Quennel.tqu"}},
        {"B.DEU", {"b.deu"}},
        {"dir.deu", {}},
        {"fifo.deu", {}},
        {".hidden.deu", {}},
        {"*.txt", {}},
    };
    for (const auto& [pattern, names] : rows) {
        SCOPED_TRACE(pattern);
        EXPECT_EQ(ListFolder(folder.path(), pattern), names);
    }
}

TEST_F(ListFolderTest, EverythingOrdinaryWithStar) {
    const std::vector<std::string> names = ListFolder(folder.path(), "*");
    const std::vector<std::string> expected = {"A.DEU",
                                               "a.deu",
                                               "b.deu",
                                               "c.Deu",
                                               "Gr\xC3\xBC\xC3\x9F"
                                               "e.deu",
                                               "link.deu",
                                               "noext",
                                               "raw\xFC.deu",
                                               "Tolvar Quennel.tqu",
                                               "with:colon.deu",
                                               "x.fra"};
    EXPECT_EQ(names, expected);
}

TEST(ListFolder, NothingFromWhatIsNoReadableFolder) {
    TempFolder folder;
    WriteFile(folder / "file.deu", "x");
    for (const std::filesystem::path& path :
         {folder / "missing", folder / "file.deu", std::filesystem::path()}) {
        SCOPED_TRACE(path.string());
        EXPECT_TRUE(ListFolder(path, "*").empty());
    }
}

TEST(ListFolder, NothingFromAFolderThatCannotBeRead) {
    TempFolder folder;
    WriteFile(folder / "a.deu", "x");
    ::chmod(folder.path().c_str(), 0);
    std::vector<std::string> names = {"not called"};
    {
        test::WithoutReadOverride unprivileged;
        if (!unprivileged.Dropped() && ::access(folder.path().c_str(), R_OK) == 0) {
            ::chmod(folder.path().c_str(), 0755);
            GTEST_SKIP() << "a folder of mode 000 stays readable here";
        }
        names = ListFolder(folder.path(), "*.deu");
    }
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_TRUE(names.empty());
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
    for (const std::string& name : ListFolder(folder.path(), "*.deu")) {
        SCOPED_TRACE(name);
        EXPECT_EQ(test::ReadFile(PathInFolder(folder.path(), name)), name);
    }
}

} // namespace
} // namespace rz408
