// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion runs on real folders: the files written, byte for byte, and what happens when
// something goes wrong.

#include "ConversionRun.h"
#include "Capabilities_linux.h"
#include "ConvertSupport.h"
#include "CopyNames.h"
#include "Folder.h"
#include "FolderListing.h"
#include "Module1.h"
#include "Processes_linux.h"
#include "ReadWrite.h"
#include "Replace.h"
#include "Rows.h"
#include "RunReport.h"
#include "Scratch_linux.h"
#include "SourceEncoding.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace rz408 {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

using test::GermanEntry;

std::string FrenchEntry(int code) {
    return "\r\n             " + std::string(1, static_cast<char>(code)) + " (La valeur ASCII  " +
           std::to_string(code) + ") est convertie en 'espace'.";
}

// Whatever the run did, it left no temporary file behind.
void ExpectNoTemporaryFiles(const std::filesystem::path& folder) {
    for (const std::string& name : test::Names(folder)) {
        EXPECT_EQ(name.find(".rz408-"), std::string::npos) << name;
    }
}

RunReport RunFolder(Module1& m, const std::filesystem::path& folder, std::string_view pattern,
                    const RunOptions& options = {}) {
    return ConversionRun(m, folder, ListFolder(folder, pattern), options);
}

TEST(ConversionRun, EmptyListEmptiesTheLog) {
    TempFolder folder;
    WriteFile(folder / "konvertionsfehler.txt", "an old log");
    Module1 m = test::German();
    const RunReport report = ConversionRun(m, folder.Path(), {});
    EXPECT_EQ(report.Converted, 0u);
    EXPECT_TRUE(report.Failures.empty());
    EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"), "");
    EXPECT_EQ(CountMessageText(m, report),
              "Anzahl der konvertierten Dateien f\xC3\xBCr Userpatch408:  0");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"konvertionsfehler.txt"}));
}

struct FileCase {
    std::string Name;
    std::string Source;
    std::string TargetName;
    std::string Target;
};

// A German folder of the usual kinds of sources; the log file written in full.
const std::vector<FileCase> kGermanFolder = {
    {"a.deu",
     "Gr\xFC\xDF"
     "e",
     "a.txt", "Gruesse\r\n"},
    {"B.DEU", "zwei\x96\r\nZeilen\x96\r\n", "B.txt", "zwei \r\nZeilen \r\n"},
    {"c.x.deu", "lf\nbleibt\r", "c.txt", "lf\nbleibt\r\n"},
    {"d.deu", "", "d.txt", ""},
    {"e.deu", "`zitiert\xB4\r\n\r\n\x85\xFE\x85", "e.txt", "'zitiert'\r\n\r\n   \r\n"},
    {"f.deu", std::string("nul\0\x1A", 5), "f.txt", std::string("nul\0\x1A\r\n", 7)},
};

const std::string kGermanLog = "B.DEU : " + GermanEntry(150) + GermanEntry(150) + "\r\n" +
                               "e.deu : " + GermanEntry(133) + GermanEntry(254) + "\r\n";

void WriteSources(const TempFolder& folder, const std::vector<FileCase>& files) {
    for (const FileCase& file : files) {
        WriteFile(folder / file.Name, file.Source);
    }
}

void ExpectTargets(const TempFolder& folder, const std::vector<FileCase>& files) {
    for (const FileCase& file : files) {
        SCOPED_TRACE(file.Name);
        EXPECT_EQ(ReadFile(folder / file.TargetName), file.Target);
    }
}

TEST(ConversionRun, GermanFolderByteForByte) {
    TempFolder folder;
    WriteSources(folder, kGermanFolder);
    WriteFile(folder / "a.txt", "an older, longer target that must go entirely");
    Module1 m = test::German();
    const RunReport report = RunFolder(m, folder, "*.deu");
    EXPECT_EQ(report.Converted, kGermanFolder.size());
    EXPECT_TRUE(report.Failures.empty());
    ExpectTargets(folder, kGermanFolder);
    EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"), kGermanLog);
    ExpectNoTemporaryFiles(folder);
    // What the program-wide variables hold afterwards.
    EXPECT_EQ(m.FileLog, "f.deu : ");
    EXPECT_EQ(m.CurrentLine, std::string("nul\0\x1A", 5));
    EXPECT_EQ(m.CharCode, 256);
}

// The size of a batch of copies flushed together: one file, or the run's own.
class BatchSizes : public ::testing::TestWithParam<std::size_t> {
public:
    static std::string Name(const testing::TestParamInfo<std::size_t>& info) {
        return info.param == 1 ? "BatchesOfOne" : "BatchesOf" + std::to_string(info.param);
    }
};

const auto kBatchSizes = ::testing::Values(std::size_t{1}, RunOptions().BatchFiles);

// Cancelled from the progress report after the second file: the first two are converted and
// logged, the others untouched, and nothing is left waiting. Each copy takes its place only with
// its batch: in batches of one at once, otherwise at the end.
using CancelCases = BatchSizes;

TEST_P(CancelCases, StopsAfterTheFileBeingWritten) {
    TempFolder folder;
    WriteSources(folder, kGermanFolder);
    Module1 m = test::German();
    std::atomic<bool> cancel{false};
    std::vector<std::size_t> reported;
    RunOptions options;
    options.BatchFiles = GetParam();
    options.Cancel = &cancel;
    options.Progress = [&](std::size_t done, std::size_t listed) {
        EXPECT_EQ(listed, kGermanFolder.size());
        const std::string& copy = kGermanFolder[done - 1].TargetName;
        EXPECT_EQ(std::filesystem::exists(folder / copy), GetParam() == 1) << copy;
        reported.push_back(done);
        cancel = done == 2;
    };
    const RunReport report = RunFolder(m, folder, "*.deu", options);
    EXPECT_TRUE(report.Cancelled);
    EXPECT_EQ(report.Converted, 2u);
    EXPECT_EQ(reported, (std::vector<std::size_t>{1, 2}));
    const std::vector<FileCase> done(kGermanFolder.begin(), kGermanFolder.begin() + 2);
    ExpectTargets(folder, done);
    EXPECT_FALSE(std::filesystem::exists(folder / kGermanFolder[2].TargetName));
    EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"),
              "B.DEU : " + GermanEntry(150) + GermanEntry(150) + "\r\n");
    ExpectNoTemporaryFiles(folder);
}

INSTANTIATE_TEST_SUITE_P(ConversionRun, CancelCases, kBatchSizes, BatchSizes::Name);

TEST(ConversionRun, SecondRunWritesTheSameFiles) {
    TempFolder folder;
    WriteSources(folder, kGermanFolder);
    Module1 m = test::German();
    RunFolder(m, folder, "*.deu");
    std::vector<std::string> first;
    for (const std::string& name : folder.Names()) {
        first.push_back(name + "=" + ReadFile(folder / name));
    }
    const RunReport again = RunFolder(m, folder, "*.deu");
    EXPECT_EQ(again.Converted, kGermanFolder.size());
    std::vector<std::string> second;
    for (const std::string& name : folder.Names()) {
        second.push_back(name + "=" + ReadFile(folder / name));
    }
    EXPECT_EQ(second, first);
}

TEST(ConversionRun, SmallBlocksWriteTheSameFiles) {
    for (const std::size_t block : {1u, 2u, 3u, 7u}) {
        SCOPED_TRACE(block);
        TempFolder folder;
        WriteSources(folder, kGermanFolder);
        Module1 m = test::German();
        RunOptions options;
        options.BlockSize = block;
        EXPECT_EQ(RunFolder(m, folder, "*.deu", options).Converted, kGermanFolder.size());
        ExpectTargets(folder, kGermanFolder);
        EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"), kGermanLog);
    }
}

// ---------------------------------------------------------------------------------------
// Sources saved as UTF-8 or UTF-16.

// A German line, with two typographic quotes that become blanks and are logged.
const std::u32string kGreeting = U"Gr\u00fc\u00dfe aus K\u00f6ln \u201eHallo\u201c\r\n";
const std::string kGreetingTarget = "Gruesse aus Koeln  Hallo \r\n";
const std::string kGreetingEntries = GermanEntry(132) + GermanEntry(147);

std::string Repeated(const std::string& text, std::size_t times) {
    std::string repeated;
    for (std::size_t k = 0; k < times; ++k) {
        repeated += text;
    }
    return repeated;
}

// Each source is listed as it was read; those read as Unicode are reported, in the list's
// order, once their copies are in place (in batches of any size).
using UnicodeFolder = BatchSizes;

TEST_P(UnicodeFolder, ConvertedAsTheirTextAndReported) {
    TempFolder folder;
    const std::string utf8 = test::Utf8Of(kGreeting);
    // Larger than a block of the run (256 KiB): read ahead and read again.
    const std::size_t large = 600 * 1024 / utf8.size();
    const std::vector<std::pair<std::string, std::string>> sources = {
        {"a.deu", "Gr\xFC\xDF"
                  "e aus K\xF6ln \x84Hallo\x93\r\n"},
        {"b.deu", utf8},
        {"c.deu", "\xEF\xBB\xBF" + utf8},
        {"d.deu", "\xFF\xFE" + test::Utf16Of(kGreeting, false)},
        {"e.deu", "\xFE\xFF" + test::Utf16Of(kGreeting, true) + "x"},
        {"f.deu", "plain\r\n"},
        {"g.deu", Repeated(utf8, large) + "\xFC"},
        {"h.deu", Repeated(utf8, large)},
        {"i.deu", utf8},
    };
    for (const auto& [name, bytes] : sources) {
        WriteFile(folder / name, bytes);
    }
    std::filesystem::create_directory(folder / "i.txt"); // i.deu cannot take its place
    Module1 m = test::German();
    RunOptions options;
    options.BatchFiles = GetParam();
    const RunReport report = RunFolder(m, folder, "*.deu", options);
    EXPECT_EQ(report.Converted, 8u);
    ASSERT_EQ(report.Failures.size(), 1u);
    EXPECT_EQ(report.Failures[0].Name, "i.deu");

    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) {
        EXPECT_EQ(ReadFile(folder / name), kGreetingTarget) << name;
    }
    EXPECT_EQ(ReadFile(folder / "e.txt"), kGreetingTarget + " \r\n");
    EXPECT_TRUE(ReadFile(folder / "h.txt") == Repeated(kGreetingTarget, large));
    // UTF-8 but for a stray byte at its end: UTF-8, the stray byte a blank.
    EXPECT_TRUE(ReadFile(folder / "g.txt") == Repeated(kGreetingTarget, large) + " \r\n");

    const std::vector<std::pair<std::string, SourceEncoding>> unicode = {
        {"b.deu", SourceEncoding::Utf8},    {"c.deu", SourceEncoding::Utf8},
        {"d.deu", SourceEncoding::Utf16LE}, {"e.deu", SourceEncoding::Utf16BE},
        {"g.deu", SourceEncoding::Utf8},    {"h.deu", SourceEncoding::Utf8}};
    ASSERT_EQ(report.UnicodeSources.size(), unicode.size());
    for (std::size_t k = 0; k < unicode.size(); ++k) {
        EXPECT_EQ(report.UnicodeSources[k].Name, unicode[k].first);
        EXPECT_EQ(report.UnicodeSources[k].Encoding, unicode[k].second);
        const bool broken = unicode[k].first == "e.deu" || unicode[k].first == "g.deu";
        EXPECT_EQ(report.UnicodeSources[k].BrokenSequences, broken ? 1u : 0u);
    }

    const std::string log = ReadFile(folder / "konvertionsfehler.txt");
    for (const char* name : {"a.deu", "b.deu", "c.deu", "d.deu"}) {
        EXPECT_NE(log.find(std::string(name) + " : " + kGreetingEntries + "\r\n"),
                  std::string::npos)
            << name;
    }
    EXPECT_NE(log.find("e.deu : " + kGreetingEntries + test::GermanOtherEntry(0xFFFD) + "\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("g.deu : " + Repeated(kGreetingEntries, large) +
                       test::GermanOtherEntry(0xFFFD) + "\r\n"),
              std::string::npos);
    EXPECT_EQ(log.find("i.deu"), std::string::npos);
    ExpectNoTemporaryFiles(folder);
}

INSTANTIATE_TEST_SUITE_P(ConversionRun, UnicodeFolder, kBatchSizes, BatchSizes::Name);

// An encoding given for the run: every source is read in it.
TEST(ConversionRun, GivenEncodingForEverySource) {
    TempFolder folder;
    WriteSources(folder, kGermanFolder);
    const std::string marked = "\xEF\xBB\xBF" + test::Utf8Of(kGreeting);
    WriteFile(folder / "u.deu", marked);
    Module1 m = test::German();
    RunOptions options;
    options.Encoding = SourceEncoding::Windows1252;
    RunReport report = RunFolder(m, folder, "*.deu", options);
    EXPECT_EQ(report.Converted, kGermanFolder.size() + 1);
    EXPECT_TRUE(report.UnicodeSources.empty());
    ExpectTargets(folder, kGermanFolder);
    EXPECT_EQ(ReadFile(folder / "u.txt").substr(0, 8), "i  GrA A");

    options.Encoding = SourceEncoding::Utf8;
    report = RunFolder(m, folder, "*.deu", options);
    EXPECT_EQ(ReadFile(folder / "u.txt"), kGreetingTarget);
    // Every source is listed; a.deu and B.DEU hold two bytes each that are not UTF-8.
    ASSERT_EQ(report.UnicodeSources.size(), kGermanFolder.size() + 1);
    EXPECT_EQ(report.UnicodeSources[0].Name, "a.deu");
    EXPECT_EQ(report.UnicodeSources[0].BrokenSequences, 2u);
    EXPECT_EQ(report.UnicodeSources[1].Name, "B.DEU");
    EXPECT_EQ(report.UnicodeSources[1].BrokenSequences, 2u);
    EXPECT_EQ(ReadFile(folder / "a.txt"), "Gr  e\r\n");
}

// A long source that reads as UTF-8 for more than a block, and then no longer: what was written of
// its copy and log record meanwhile (on the writing thread too) is taken back, and it is written
// as Windows-1252, exactly as with that encoding given; the files before it keep their records.
TEST(ConversionRun, SourceFoundNotToBeUtf8AfterABlockIsWrittenAnew) {
    const std::string windows1252 = "Gr\xFC\xDF"
                                    "e aus K\xF6ln \x84Hallo\x93\r\n";
    // Five valid sequences a line, then five broken ones: UTF-8 is ruled out within the latter.
    const std::string source =
        Repeated(test::Utf8Of(kGreeting), 10000) + Repeated(windows1252, 2000);
    for (const std::size_t block : {std::size_t{64}, RunOptions().BlockSize}) {
        SCOPED_TRACE(block);
        TempFolder guessed;
        TempFolder given;
        for (const TempFolder* folder : {&guessed, &given}) {
            WriteSources(*folder, kGermanFolder);
            WriteFile(*folder / "x.deu", source);
        }
        Module1 m = test::German();
        RunOptions options;
        options.BlockSize = block;
        const RunReport report = RunFolder(m, guessed, "*.deu", options);
        EXPECT_EQ(report.Converted, kGermanFolder.size() + 1);
        EXPECT_TRUE(report.UnicodeSources.empty());
        options.Encoding = SourceEncoding::Windows1252;
        RunFolder(m, given, "*.deu", options);
        EXPECT_TRUE(ReadFile(guessed / "x.txt") == ReadFile(given / "x.txt"));
        const std::string log = ReadFile(guessed / "konvertionsfehler.txt");
        EXPECT_TRUE(log == ReadFile(given / "konvertionsfehler.txt"));
        EXPECT_EQ(log.substr(0, kGermanLog.size()), kGermanLog);
        ExpectNoTemporaryFiles(guessed);
    }
}

TEST(ConversionRun, FrenchLogNameAndEntries) {
    TempFolder folder;
    WriteFile(folder / "carte.fra", "\xC9t\xE9\x85\r\nfin\x93");
    WriteFile(folder / "propre.fra", "\xE0 bient\xF4t");
    Module1 m = test::French();
    const RunReport report = RunFolder(m, folder, "*.fra");
    EXPECT_EQ(report.Converted, 2u);
    EXPECT_EQ(ReadFile(folder / "carte.txt"), "Ete \r\nfin \r\n");
    EXPECT_EQ(ReadFile(folder / "propre.txt"), "a bientot\r\n");
    EXPECT_EQ(ReadFile(folder / "Erreurs_de_conversion..txt"),
              "carte.fra : " + FrenchEntry(133) + FrenchEntry(147) + "\r\n");
}

TEST(ConversionRun, FileNamesGoIntoTheLogInWindows1252) {
    TempFolder folder;
    WriteFile(folder / "Gr\xC3\xBC\xC3\x9F"
                       "e.deu",
              "\x80");
    WriteFile(folder / "\xE6\x97\xA5.deu", "\x80");
    WriteFile(folder / "a:b.deu", "\x80");
    WriteFile(folder / "c:d.deu", "colon, but nothing blanked");
    Module1 m = test::German();
    const RunReport report = RunFolder(m, folder, "*.deu");
    EXPECT_EQ(report.Converted, 4u);
    EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"),
              "a:b.deu : " + GermanEntry(128) + "\r\n" +
                  "Gr\xFC\xDF"
                  "e.deu : " +
                  GermanEntry(128) + "\r\n" + "?.deu : " + GermanEntry(128) + "\r\n");
    EXPECT_EQ(ReadFile(folder / "Gr\xC3\xBC\xC3\x9F"
                                "e.txt"),
              " \r\n");
}

TEST(ConversionRun, SourceNamedLikeTheLogIsNotConverted) {
    TempFolder folder;
    WriteFile(folder / "konvertionsfehler.deu", "\x96 would be the log");
    WriteFile(folder / "z.deu", "\x96");
    Module1 m = test::German();
    const RunReport report = RunFolder(m, folder, "*.deu");
    EXPECT_EQ(report.Converted, 1u);
    ASSERT_EQ(report.Failures.size(), 1u);
    EXPECT_EQ(report.Failures[0].Name, "konvertionsfehler.deu");
    EXPECT_NE(report.Failures[0].Reason.find("would overwrite the log file"), std::string::npos);
    EXPECT_EQ(report.Failures[0].Step, FileFailure::Action::CopyIsLog);
    EXPECT_EQ(report.Failures[0].File, "konvertionsfehler.txt");
    EXPECT_EQ(report.Failures[0].Cause, "");
    EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"), "z.deu : " + GermanEntry(150) + "\r\n");
    EXPECT_EQ(CountMessageText(m, report),
              "Anzahl der konvertierten Dateien f\xC3\xBCr Userpatch408:  1");
}

// The failure's parts say what its reason says: the source read, or its copy written, and the
// system's reason.
void ExpectReasonInParts(const FileFailure& failure) {
    const bool read = failure.Step == FileFailure::Action::Read;
    ASSERT_TRUE(read || failure.Step == FileFailure::Action::Write);
    EXPECT_EQ(failure.File, read ? failure.Name : TargetName(failure.Name));
    EXPECT_FALSE(failure.Cause.empty());
    EXPECT_EQ(failure.Reason,
              (read ? "cannot be read" : "cannot write " + failure.File) + ": " + failure.Cause);
}

struct FailureCase {
    const char* Name;
    friend void PrintTo(const FailureCase& row, std::ostream* out) { *out << row.Name; }
    void (*Prepare)(const TempFolder&); // puts the trouble in place of "bad.deu" or "bad.txt"
    const char* Reason;
};

class FailureCases : public testing::TestWithParam<FailureCase> {};

// The failing file sits between two good ones; both are converted, the failing one's log
// record is not written, its old target (if any) stays, and nothing stray is left.
TEST_P(FailureCases, ReportedAndTheRunGoesOn) {
    TempFolder folder;
    WriteFile(folder / "a.deu", "\x96");
    WriteFile(folder / "c.deu", "\x80");
    // Each line blanks a code: the failing file's record grows beyond the log's buffer.
    std::string many;
    for (int k = 0; k < 3000; ++k) {
        many += "\x96\r\n";
    }
    WriteFile(folder / "bad.deu", many);
    GetParam().Prepare(folder);
    std::string oldBadTarget;
    const bool hadTarget = std::filesystem::is_regular_file(folder / "bad.txt");
    if (hadTarget) {
        oldBadTarget = ReadFile(folder / "bad.txt");
    }
    Module1 m = test::German();
    const RunReport report =
        ConversionRun(m, folder.Path(), {"a.deu", "bad.deu", "c.deu"}, RunOptions{});
    EXPECT_EQ(report.Converted, 2u);
    ASSERT_EQ(report.Failures.size(), 1u);
    EXPECT_EQ(report.Failures[0].Name, "bad.deu");
    EXPECT_EQ(report.Failures[0].Reason, GetParam().Reason);
    ExpectReasonInParts(report.Failures[0]);
    EXPECT_EQ(ReadFile(folder / "a.txt"), " \r\n");
    EXPECT_EQ(ReadFile(folder / "c.txt"), " \r\n");
    EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"),
              "a.deu : " + GermanEntry(150) + "\r\n" + "c.deu : " + GermanEntry(128) + "\r\n");
    if (hadTarget) {
        EXPECT_EQ(ReadFile(folder / "bad.txt"), oldBadTarget);
    }
    ExpectNoTemporaryFiles(folder);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailureCases,
    testing::Values(FailureCase{"FolderInTheTargetsPlace",
                                [](const TempFolder& folder) {
                                    std::filesystem::create_directory(folder / "bad.txt");
                                    WriteFile(folder / "bad.txt" / "inside", "kept");
                                },
                                "cannot write bad.txt: Is a directory"},
                    FailureCase{"SourceVanished",
                                [](const TempFolder& folder) {
                                    std::filesystem::remove(folder / "bad.deu");
                                    WriteFile(folder / "bad.txt", "old target");
                                },
                                "cannot be read: No such file or directory"},
                    FailureCase{"FifoInTheSourcesPlace",
                                [](const TempFolder& folder) {
                                    std::filesystem::remove(folder / "bad.deu");
                                    ASSERT_EQ(::mkfifo((folder / "bad.deu").c_str(), 0644), 0);
                                },
                                "cannot be read: not a regular file"},
                    FailureCase{"DeviceInTheSourcesPlace",
                                [](const TempFolder& folder) {
                                    std::filesystem::remove(folder / "bad.deu");
                                    std::filesystem::create_symlink("/dev/zero",
                                                                    folder / "bad.deu");
                                },
                                "cannot be read: not a regular file"},
                    FailureCase{"FolderInTheSourcesPlace",
                                [](const TempFolder& folder) {
                                    std::filesystem::remove(folder / "bad.deu");
                                    std::filesystem::create_directory(folder / "bad.deu");
                                },
                                "cannot be read: Is a directory"}),
    test::RowName());

// Copies take their targets' places a batch at a time; a copy that cannot (a folder in its
// target's place) fails then, and its log record comes out of the log, however many records of
// the batch lie behind it and however long they are.
struct BatchCase {
    const char* Name;
    friend void PrintTo(const BatchCase& row, std::ostream* out) { *out << row.Name; }
    int Files;
    std::vector<int> Blocked; // the files whose targets are folders
    std::size_t BatchFiles;
    std::uint64_t BatchBytes;
    bool LongRecords; // every second file's record is longer than the log's buffer
};

class BatchCases : public testing::TestWithParam<BatchCase> {};

TEST_P(BatchCases, FailedPlacesTakeTheirRecordsOut) {
    const BatchCase& row = GetParam();
    TempFolder folder;
    std::string log;
    std::vector<std::string> names;
    std::vector<FileFailure> failures;
    for (int k = 0; k < row.Files; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "f%04d", k);
        names.push_back(std::string(name) + ".deu");
        // Every third file has no record; the others one of one or 3000 entries.
        std::string source = "x";
        std::string record;
        if (k % 3 != 0) {
            const int lines = row.LongRecords && k % 2 == 1 ? 3000 : 1;
            source.clear();
            record = names.back() + " : ";
            for (int line = 0; line < lines; ++line) {
                source += "\x96\r\n";
                record += GermanEntry(150);
            }
            record += "\r\n";
        }
        WriteFile(folder / names.back(), source);
        if (std::find(row.Blocked.begin(), row.Blocked.end(), k) != row.Blocked.end()) {
            std::filesystem::create_directory(folder / (std::string(name) + ".txt"));
            WriteFile(folder / (std::string(name) + ".txt") / "inside", "kept");
            failures.push_back(
                {names.back(), "cannot write " + std::string(name) + ".txt: Is a directory"});
        } else {
            log += record;
        }
    }
    Module1 m = test::German();
    RunOptions options;
    options.BatchFiles = row.BatchFiles;
    options.BatchBytes = row.BatchBytes;
    const RunReport report = ConversionRun(m, folder.Path(), names, options);
    EXPECT_EQ(report.Converted, static_cast<std::uint64_t>(row.Files) - row.Blocked.size());
    ASSERT_EQ(report.Failures.size(), failures.size());
    for (std::size_t k = 0; k < failures.size(); ++k) {
        EXPECT_EQ(report.Failures[k].Name, failures[k].Name);
        EXPECT_EQ(report.Failures[k].Reason, failures[k].Reason);
    }
    EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"), log);
    for (const int k : row.Blocked) {
        const std::string target = names[static_cast<std::size_t>(k)].substr(0, 5) + ".txt";
        EXPECT_EQ(ReadFile(folder / target / "inside"), "kept") << target;
    }
    ExpectNoTemporaryFiles(folder);
}

constexpr std::uint64_t kNoByteLimit = std::uint64_t{1} << 40;

INSTANTIATE_TEST_SUITE_P(
    Faults, BatchCases,
    testing::Values(
        BatchCase{"FirstOfOneBatch", 5, {1}, 512, kNoByteLimit, false},
        BatchCase{"LastOfOneBatch", 5, {4}, 512, kNoByteLimit, false},
        BatchCase{"AdjacentWithLongRecords", 8, {1, 2}, 512, kNoByteLimit, true},
        BatchCase{"EveryOtherWithLongRecords", 9, {1, 3, 5, 7}, 512, kNoByteLimit, true},
        BatchCase{"AllOfTheBatch", 4, {0, 1, 2, 3}, 512, kNoByteLimit, true},
        BatchCase{"AtTheEdgesOfBatchesOfThree", 11, {2, 3, 5, 9, 10}, 3, kNoByteLimit, true},
        BatchCase{"BatchOfOneFile", 6, {1, 4}, 1, kNoByteLimit, true},
        BatchCase{"BatchesEndedByTheirBytes", 7, {2, 4}, 512, 7, false}),
    test::RowName());

// The folder is renamed after the first file, and something else may take its path: the run
// goes on in the folder it opened, and writes nothing anywhere else.
struct MovedCase {
    const char* Name;
    friend void PrintTo(const MovedCase& row, std::ostream* out) { *out << row.Name; }
    // Puts something at PATH, where the folder was; ELSEWHERE is another folder.
    void (*TakePlace)(const std::filesystem::path& path, const std::filesystem::path& elsewhere);
};

class MovedFolder : public testing::TestWithParam<MovedCase> {};

TEST_P(MovedFolder, TheRunStaysInTheFolderItOpened) {
    TempFolder base;
    const std::filesystem::path folder = base / "games";
    const std::filesystem::path moved = base / "moved";
    const std::filesystem::path elsewhere = base / "elsewhere";
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory(elsewhere);
    for (const char* name : {"a.deu", "b.deu", "c.deu"}) {
        WriteFile(folder / name, "\x96");
    }
    WriteFile(elsewhere / "b.deu", "not this one");
    Module1 m = test::German();
    RunOptions options;
    options.Progress = [&](std::size_t done, std::size_t) {
        if (done == 1) {
            std::filesystem::rename(folder, moved);
            GetParam().TakePlace(folder, elsewhere);
        }
    };
    const RunReport report = ConversionRun(m, folder, {"a.deu", "b.deu", "c.deu"}, options);
    EXPECT_EQ(report.Converted, 3u);
    EXPECT_TRUE(report.Failures.empty()) << report.Failures.front().Reason;
    std::string log;
    for (const char* name : {"a", "b", "c"}) {
        EXPECT_EQ(ReadFile(moved / (std::string(name) + ".txt")), " \r\n") << name;
        log += std::string(name) + ".deu : " + GermanEntry(150) + "\r\n";
    }
    EXPECT_EQ(ReadFile(moved / "konvertionsfehler.txt"), log);
    EXPECT_EQ(test::Names(moved),
              (std::set<std::string>{"a.deu", "a.txt", "b.deu", "b.txt", "c.deu", "c.txt",
                                     "konvertionsfehler.txt"}));
    EXPECT_EQ(test::Names(elsewhere), std::set<std::string>{"b.deu"});
    if (std::filesystem::is_directory(std::filesystem::symlink_status(folder))) {
        EXPECT_TRUE(test::Names(folder).empty()) << "written where the folder was";
    }
}

INSTANTIATE_TEST_SUITE_P(
    ConversionRun, MovedFolder,
    testing::Values(
        MovedCase{"RenamedAway", [](const std::filesystem::path&, const std::filesystem::path&) {}},
        MovedCase{"ReplacedByALink",
                  [](const std::filesystem::path& path, const std::filesystem::path& elsewhere) {
                      std::filesystem::create_directory_symlink(elsewhere, path);
                  }},
        MovedCase{"ReplacedByAnotherFolder",
                  [](const std::filesystem::path& path, const std::filesystem::path&) {
                      std::filesystem::create_directory(path);
                  }}),
    test::RowName());

// What an earlier run left when it was killed (or cut off by a power cut) is removed by the next
// run in the folder; nothing else is, however much it looks like it: a file someone named like
// one, a temporary file's mark on another name, or on a folder, link, FIFO or device.
struct LeftoverCase {
    const char* Name;
    friend void PrintTo(const LeftoverCase& row, std::ostream* out) { *out << row.Name; }
    const char* Target; // of the dead run's temporary file
    const char* Entry;  // what is named so in the end; nullptr: as the dead run named it
    std::filesystem::file_type Type; // regular, directory, symlink (to a file outside), fifo or
                                     // character (a device)
    bool Marked; // it carries the times of the dead run's temporary file; otherwise it is new
    bool Removed;
};

class Leftovers : public testing::TestWithParam<LeftoverCase> {};

TEST_P(Leftovers, OnlyThoseOfDeadRunsAreRemoved) {
    namespace fs = std::filesystem;
    const LeftoverCase& row = GetParam();
    TempFolder folder;
    TempFolder outside;
    WriteFile(outside / "precious.txt", "must stay");
    WriteFile(folder / "a.deu", "\xE4");
    // A run that ends in the middle of writing its temporary file, which stays.
    const test::ChildResult dead = test::RunForked(
        [&] {
            fileops::Folder dir;
            fileops::File file;
            std::string name;
            if (fileops::OpenFolder(folder.Path(), dir) ||
                fileops::CreateTemporary(dir, row.Target, file, name) ||
                fileops::WriteAll(file, "half a co", 9)) {
                return std::string();
            }
            return name;
        },
        std::chrono::seconds(10));
    ASSERT_FALSE(dead.Out.empty()) << test::Describe(dead);
    const fs::path left = folder / dead.Out;
    const fs::path entry = folder / (row.Entry != nullptr ? row.Entry : dead.Out.c_str());
    if (row.Entry != nullptr || row.Type != fs::file_type::regular || !row.Marked) {
        struct stat times {};
        ASSERT_EQ(::lstat(left.c_str(), &times), 0);
        fs::remove(left);
        if (row.Type == fs::file_type::directory) {
            fs::create_directory(entry);
        } else if (row.Type == fs::file_type::symlink) {
            fs::create_symlink(outside / "precious.txt", entry);
        } else if (row.Type == fs::file_type::fifo) {
            ASSERT_EQ(::mkfifo(entry.c_str(), 0600), 0);
        } else if (row.Type == fs::file_type::character) {
            if (::mknod(entry.c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0) {
                GTEST_SKIP() << "cannot make a device here: " << test::SystemReason(errno);
            }
        } else {
            WriteFile(entry, "a file of someone's own");
        }
        const timespec marked[2] = {times.st_atim, times.st_mtim};
        ASSERT_TRUE(!row.Marked ||
                    ::utimensat(AT_FDCWD, entry.c_str(), marked, AT_SYMLINK_NOFOLLOW) == 0);
    }
    Module1 m = test::German();
    const RunReport report = RunFolder(m, folder, "*.deu");
    EXPECT_EQ(report.Converted, 1u);
    EXPECT_EQ(ReadFile(folder / "a.txt"), "ae\r\n");
    EXPECT_EQ(fs::exists(fs::symlink_status(entry)), !row.Removed);
    EXPECT_EQ(ReadFile(outside / "precious.txt"), "must stay");
}

constexpr auto kRegular = std::filesystem::file_type::regular;

INSTANTIATE_TEST_SUITE_P(
    ConversionRun, Leftovers,
    testing::Values(
        LeftoverCase{"CopyOfADeadRun", "a.txt", nullptr, kRegular, true, true},
        LeftoverCase{"LogOfADeadRun", "konvertionsfehler.txt", nullptr, kRegular, true, true},
        LeftoverCase{"OfAnotherFile", "other.txt", nullptr, kRegular, true, true},
        LeftoverCase{"NamedLikeOneByAPerson", "a.txt", nullptr, kRegular, false, false},
        LeftoverCase{"HiddenBackup", "a.txt", ".notes.rz408-backup", kRegular, false, false},
        LeftoverCase{"HiddenSettings", "a.txt", ".cfg.rz408-2024v1", kRegular, false, false},
        LeftoverCase{"MarkOfAnotherName", "a.txt", ".a.txt.rz408-tmp-abcdefgh1234", kRegular, true,
                     false},
        LeftoverCase{"NotHidden", "a.txt", "a.txt.rz408-tmp-abcdefgh1234", kRegular, false, false},
        LeftoverCase{"SuffixTooShort", "a.txt", ".a.txt.rz408-tmp-abcdefgh123", kRegular, false,
                     false},
        LeftoverCase{"SuffixNotSmallLettersAndDigits", "a.txt", ".a.txt.rz408-tmp-abcdeFgh1234",
                     kRegular, false, false},
        LeftoverCase{"OtherMark", "a.txt", ".a.txt.rz409-tmp-abcdefgh1234", kRegular, false, false},
        LeftoverCase{"Folder", "a.txt", nullptr, std::filesystem::file_type::directory, true,
                     false},
        LeftoverCase{"LinkOutOfTheFolder", "a.txt", nullptr, std::filesystem::file_type::symlink,
                     true, false},
        LeftoverCase{"Fifo", "a.txt", nullptr, std::filesystem::file_type::fifo, true, false},
        LeftoverCase{"Device", "a.txt", nullptr, std::filesystem::file_type::character, true,
                     false}),
    test::RowName());

// A temporary file that a live run holds open is never taken for a leftover.
TEST(ConversionRun, TemporaryFileOfALiveRunStays) {
    TempFolder folder;
    WriteFile(folder / "a.deu", "\xE4");
    fileops::Folder other;
    ASSERT_FALSE(fileops::OpenFolder(folder.Path(), other));
    fileops::File file;
    std::string name;
    ASSERT_FALSE(fileops::CreateTemporary(other, "a.txt", file, name));
    Module1 m = test::German();
    EXPECT_EQ(RunFolder(m, folder, "*.deu").Converted, 1u);
    EXPECT_EQ(ReadFile(folder / "a.txt"), "ae\r\n");
    EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
    fileops::RemoveQuietly(other, file, name);
    EXPECT_FALSE(std::filesystem::exists(folder / name)) << name;
}

// The copies that wait for the flush of their batch stay open; when the program may open no
// further file, the batch takes its places first, and the run goes on.
TEST(ConversionRun, WaitingCopiesMakeRoomForFurtherFiles) {
    TempFolder folder;
    std::vector<std::string> names;
    for (int k = 0; k < 40; ++k) {
        names.push_back("f" + std::to_string(k) + ".deu");
        WriteFile(folder / names.back(), "\xE4");
    }
    Module1 m = test::German();
    RunOptions options;
    RunReport report;
    {
        // Room for the run's folder, its log, one source and a dozen copies.
        rlimit before{};
        ::getrlimit(RLIMIT_NOFILE, &before);
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        rlimit few = before;
        few.rlim_cur = static_cast<rlim_t>(lowestFree + 15);
        ::setrlimit(RLIMIT_NOFILE, &few);
        report = ConversionRun(m, folder.Path(), names, options);
        ::setrlimit(RLIMIT_NOFILE, &before);
    }
    EXPECT_TRUE(report.Failures.empty()) << report.Failures.front().Reason;
    EXPECT_EQ(report.Converted, names.size());
    for (std::size_t k = 0; k < names.size(); ++k) {
        EXPECT_EQ(ReadFile(folder / ("f" + std::to_string(k) + ".txt")), "ae\r\n") << k;
    }
    ExpectNoTemporaryFiles(folder);
}

TEST(ConversionRun, SymbolicLinkTargetIsReplacedNotWrittenThrough) {
    TempFolder folder;
    TempFolder outside;
    WriteFile(outside / "precious.txt", "must stay");
    WriteFile(folder / "x.deu", "neu\xE4");
    std::filesystem::create_symlink(outside / "precious.txt", folder / "x.txt");
    Module1 m = test::German();
    EXPECT_EQ(RunFolder(m, folder, "*.deu").Converted, 1u);
    EXPECT_EQ(ReadFile(outside / "precious.txt"), "must stay");
    EXPECT_FALSE(std::filesystem::is_symlink(folder / "x.txt"));
    EXPECT_EQ(ReadFile(folder / "x.txt"), "neuae\r\n");
}

// New files get the rights of any new file; replaced ones keep theirs, as when rewritten in
// place.
TEST(ConversionRun, AccessRightsOfNewAndReplacedFiles) {
    TempFolder folder;
    WriteFile(folder / "new.deu", "x");
    WriteFile(folder / "old.deu", "x");
    WriteFile(folder / "old.txt", "old");
    WriteFile(folder / "konvertionsfehler.txt", "old");
    ::chmod((folder / "old.txt").c_str(), 0600);
    ::chmod((folder / "konvertionsfehler.txt").c_str(), 0640);
    const mode_t umask = ::umask(022);
    Module1 m = test::German();
    const RunReport report = RunFolder(m, folder, "*.deu");
    ::umask(umask);
    EXPECT_EQ(report.Converted, 2u);
    const std::vector<std::pair<const char*, unsigned>> rows = {
        {"new.txt", 0644u}, {"old.txt", 0600u}, {"konvertionsfehler.txt", 0640u}};
    for (const auto& [name, mode] : rows) {
        SCOPED_TRACE(name);
        struct stat info {};
        ASSERT_EQ(::stat((folder / name).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, mode);
    }
}

TEST(ConversionRun, FolderThatCannotBeWrittenIsReported) {
    Module1 m = test::German();
    const std::filesystem::path missing = "/nonexistent-rz408-folder";
    const RunReport report = ConversionRun(m, missing, {"a.deu"});
    EXPECT_EQ(report.Converted, 0u);
    ASSERT_EQ(report.Failures.size(), 2u);
    EXPECT_EQ(report.Failures[0].Name, "konvertionsfehler.txt");
    EXPECT_EQ(report.Failures[0].Reason, "No such file or directory");
    EXPECT_EQ(report.Failures[0].What, FileFailure::Kind::LogFile);
    EXPECT_EQ(report.Failures[1].Name, "a.deu");
    EXPECT_EQ(report.Failures[1].Reason, "cannot be read: No such file or directory");
    EXPECT_EQ(report.Failures[1].What, FileFailure::Kind::Source);
}

TEST(ConversionRun, LogInAFolderSPlaceIsReported) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "konvertionsfehler.txt");
    WriteFile(folder / "x.deu", "\x96");
    Module1 m = test::German();
    const RunReport report = RunFolder(m, folder, "*.deu");
    EXPECT_EQ(report.Converted, 1u);
    ASSERT_EQ(report.Failures.size(), 1u);
    EXPECT_EQ(report.Failures[0].Name, "konvertionsfehler.txt");
    EXPECT_EQ(report.Failures[0].Reason, "Is a directory");
    EXPECT_EQ(ReadFile(folder / "x.txt"), " \r\n");
    ExpectNoTemporaryFiles(folder);
}

// Writing beyond RLIMIT_FSIZE sends SIGXFSZ, which ends a program by default: the run turns it
// into a write that fails with EFBIG, as a full disk fails a write, and old files stay as they
// were.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// In one block, written by the run's thread; in blocks of 4 KiB, most of them written on the
// writing thread, whose failure counts for the file all the same.
TEST(ConversionRun, TargetThatCannotBeWrittenWholeKeepsTheOldOne) {
    for (const std::size_t block : {RunOptions().BlockSize, std::size_t{4096}}) {
        SCOPED_TRACE(block);
        TempFolder folder;
        WriteFile(folder / "big.deu", std::string(50000, 'x') + "\x96");
        WriteFile(folder / "big.txt", "the old target");
        WriteFile(folder / "small.deu", "\xE4");
        Module1 m = test::German();
        RunOptions options;
        options.BlockSize = block;
        RunReport report;
        {
            FileSizeLimit limit(10000);
            report = RunFolder(m, folder, "*.deu", options);
        }
        EXPECT_EQ(report.Converted, 1u);
        ASSERT_EQ(report.Failures.size(), 1u);
        EXPECT_EQ(report.Failures[0].Name, "big.deu");
        EXPECT_EQ(report.Failures[0].Reason, "cannot write big.txt: File too large");
        EXPECT_EQ(ReadFile(folder / "big.txt"), "the old target");
        EXPECT_EQ(ReadFile(folder / "small.txt"), "ae\r\n");
        EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"), "");
        ExpectNoTemporaryFiles(folder);
    }
}

// A short log is written at the end, a long one on the writing thread as it grows.
TEST(ConversionRun, LogThatCannotBeWrittenWholeKeepsTheOldOne) {
    for (const auto& [lines, limit] : {std::pair<std::size_t, rlim_t>{200, 4000}, {2000, 10000}}) {
        SCOPED_TRACE(lines);
        TempFolder folder;
        std::string source;
        for (std::size_t k = 0; k < lines; ++k) {
            source += "\x96\r\n";
        }
        WriteFile(folder / "x.deu", source);
        WriteFile(folder / "konvertionsfehler.txt", "the old log");
        Module1 m = test::German();
        RunReport report;
        {
            FileSizeLimit limited(limit);
            report = RunFolder(m, folder, "*.deu");
        }
        EXPECT_EQ(report.Converted, 1u);
        ASSERT_EQ(report.Failures.size(), 1u);
        EXPECT_EQ(report.Failures[0].Name, "konvertionsfehler.txt");
        EXPECT_EQ(report.Failures[0].Reason, "File too large");
        EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"), "the old log");
        EXPECT_EQ(ReadFile(folder / "x.txt").size(), 3 * lines);
        ExpectNoTemporaryFiles(folder);
    }
}

struct DiskCase {
    const char* Name;
    friend void PrintTo(const DiskCase& row, std::ostream* out) { *out << row.Name; }
    const char* Options;
    std::string Source;
    bool ReadOnly;
    std::vector<FileFailure> Failures;
    std::string Log; // the log file afterwards
};

class DiskCases : public testing::TestWithParam<DiskCase> {};

// The folder holds a.deu and an older a.txt and konvertionsfehler.txt; the run cannot write
// the new target: both old files stay as they were, no temporary file is left.
TEST_P(DiskCases, OldFilesStay) {
    const DiskCase& row = GetParam();
    test::Scratch scratch;
    if (const std::string why = scratch.MountTmpfs("disk", row.Options); !why.empty()) {
        GTEST_SKIP() << why;
    }
    const std::filesystem::path folder = scratch / "disk";
    WriteFile(folder / "a.deu", row.Source);
    WriteFile(folder / "a.txt", "the old target");
    WriteFile(folder / "konvertionsfehler.txt", "the old log");
    if (row.ReadOnly) {
        ASSERT_EQ(scratch.RemountReadOnly("disk"), "");
    }
    Module1 m = test::German();
    const RunReport report = RunFolder(m, folder, "*.deu");
    EXPECT_EQ(report.Converted, 0u);
    ASSERT_EQ(report.Failures.size(), row.Failures.size());
    for (std::size_t k = 0; k < row.Failures.size(); ++k) {
        EXPECT_EQ(report.Failures[k].Name, row.Failures[k].Name);
        EXPECT_EQ(report.Failures[k].Reason, row.Failures[k].Reason);
    }
    EXPECT_EQ(ReadFile(folder / "a.txt"), "the old target");
    EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"), row.Log);
    ExpectNoTemporaryFiles(folder);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DiskCases,
    testing::Values(
        // 40,000 umlauts become 80,000 letters: more than the disk holds.
        DiskCase{"FullDisk",
                 "size=64k",
                 std::string(40000, '\xE4'),
                 false,
                 {{"a.deu", "cannot write a.txt: No space left on device"}},
                 ""},
        // The root folder, a.deu, a.txt, the old log and the new log's temporary file use up
        // every inode: the target's temporary file gets none.
        DiskCase{"NoInodesLeft",
                 "nr_inodes=5",
                 "x",
                 false,
                 {{"a.deu", "cannot write a.txt: No space left on device"}},
                 ""},
        DiskCase{"ReadOnlyFolder",
                 "size=1m",
                 "x",
                 true,
                 {{"konvertionsfehler.txt", "Read-only file system"},
                  {"a.deu", "cannot write a.txt: Read-only file system"}},
                 "the old log"}),
    test::RowName());

// An immutable old target (chattr +i) cannot be replaced.
TEST(ConversionRun, ImmutableTargetIsReported) {
    test::Scratch folder;
    WriteFile(folder / "a.deu", "x");
    WriteFile(folder / "a.txt", "the old target");
    if (const std::string why = folder.SetImmutable(folder / "a.txt"); !why.empty()) {
        GTEST_SKIP() << why;
    }
    Module1 m = test::German();
    const RunReport report = RunFolder(m, folder, "*.deu");
    EXPECT_EQ(report.Converted, 0u);
    ASSERT_EQ(report.Failures.size(), 1u);
    EXPECT_EQ(report.Failures[0].Name, "a.deu");
    EXPECT_EQ(report.Failures[0].Reason, "cannot write a.txt: Operation not permitted");
    EXPECT_EQ(ReadFile(folder / "a.txt"), "the old target");
    ExpectNoTemporaryFiles(folder);
}

TEST(ConversionRun, UnreadableSourceIsReported) {
    TempFolder folder;
    WriteFile(folder / "a.deu", "\x96");
    WriteFile(folder / "b.deu", "\x80");
    ::chmod((folder / "a.deu").c_str(), 0);
    RunReport report;
    Module1 m = test::German();
    {
        test::WithoutReadOverride unprivileged;
        if (!unprivileged.Dropped() && ::access((folder / "a.deu").c_str(), R_OK) == 0) {
            GTEST_SKIP() << "a file of mode 000 stays readable here";
        }
        report = RunFolder(m, folder, "*.deu");
    }
    EXPECT_EQ(report.Converted, 1u);
    ASSERT_EQ(report.Failures.size(), 1u);
    EXPECT_EQ(report.Failures[0].Name, "a.deu");
    EXPECT_EQ(report.Failures[0].Reason, "cannot be read: Permission denied");
    EXPECT_FALSE(std::filesystem::exists(folder / "a.txt"));
    EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"), "b.deu : " + GermanEntry(128) + "\r\n");
}

TEST(ConversionRun, FortyThousandFilesAreCounted) {
    // In memory where there is room for 80,000 small files (a tmpfs gives each a page).
    std::error_code error;
    const bool roomInMemory =
        std::filesystem::space("/dev/shm", error).available > std::uintmax_t{1} << 30;
    TempFolder folder("rz408-test",
                      roomInMemory ? "/dev/shm" : std::filesystem::temp_directory_path());
    const int count = 40000;
    for (int k = 0; k < count; ++k) {
        const std::string path = (folder / ("f" + std::to_string(k) + ".deu")).string();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0) << path;
        ASSERT_EQ(::write(fd, k == 39999 ? "\x96" : "x", 1), 1);
        ::close(fd);
    }
    Module1 m = test::German();
    const std::vector<std::string> names = ListFolder(folder.Path(), "*.deu");
    ASSERT_EQ(names.size(), static_cast<std::size_t>(count));
    const RunReport report = ConversionRun(m, folder.Path(), names);
    EXPECT_EQ(report.Converted, static_cast<std::uint64_t>(count));
    EXPECT_TRUE(report.Failures.empty());
    EXPECT_EQ(CountMessageText(m, report),
              "Anzahl der konvertierten Dateien f\xC3\xBCr Userpatch408:  40000");
    EXPECT_EQ(ReadFile(folder / "f39999.txt"), " \r\n");
    EXPECT_EQ(ReadFile(folder / "konvertionsfehler.txt"),
              "f39999.deu : " + GermanEntry(150) + "\r\n");
}

} // namespace
} // namespace rz408
