// SPDX-License-Identifier: GPL-3.0-or-later
// Faults provoked for real in a folder of three German sources a.deu, b.deu and c.deu, where
// b.deu is the one in trouble: a full disk, no inodes left, a read-only file system, an
// unreadable source or folder, a folder, FIFO, device or symbolic link where a file belongs, a
// link named like a source that leads nowhere, an immutable target, a source gone after the
// listing, a file-size limit, a close() that fails, writes that write a few bytes at a time, a
// check that each file is on the disk before it gets its name, a lock on the folder held by
// someone else.
//
// Each row runs either the built batch command on the folder (and on a second, healthy folder
// after it) or the conversion run on a listing taken before the fault, and checks: the exit
// code, every failure named with the system's reason, the other files converted byte for byte,
// the old files byte-identical, the log holding exactly the records of the converted files, and
// no stray file left in the folder or beside it.
//
// Mounting, dropping capabilities and the immutable flag need root; rows that need what the
// machine does not allow skip themselves and say why.

#include "Processes_linux.h"
#include "Scratch_linux.h"
#include "TestFiles.h"

#include "ConversionRun.h"
#include "FolderListing.h"
#include "LanguageProfile.h"
#include "LogEntry.h"
#include "Module1.h"
#include "Rows.h"
#include "RunReport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace rz408::test {
namespace {

namespace fs = std::filesystem;

using namespace std::chrono_literals;

// A prefix for RunProgram's ARGV that makes close() fail with "Input/output error" (after closing)
// for every file whose path holds PATH_PART, as a network or quota-limited file system reports at
// the close a write that did not arrive: the preloaded library RZ408_FAIL_CLOSE_LIB
// (FailClose.cpp).
std::vector<std::string> FailingClose(const std::string& pathPart) {
    return {"env", std::string("LD_PRELOAD=") + RZ408_FAIL_CLOSE_LIB,
            "RZ408_FAIL_CLOSE=" + pathPart};
}

// A prefix that makes write() and pwrite() write at most 3 bytes a call to every file whose path
// holds PATH_PART (ShortWrite.cpp).
std::vector<std::string> ShortWrites(const std::string& pathPart) {
    return {"env", std::string("LD_PRELOAD=") + RZ408_SHORT_WRITE_LIB,
            "RZ408_SHORT_WRITE=" + pathPart};
}

// A prefix that makes the first write() to a file whose path holds PATH_PART fail with
// "Input/output error", once (ShortWrite.cpp).
std::vector<std::string> OneWriteFails(const std::string& pathPart) {
    return {"env", std::string("LD_PRELOAD=") + RZ408_SHORT_WRITE_LIB,
            "RZ408_FAIL_WRITE=" + pathPart};
}

// A prefix that names on standard error every file renamed before the data written to it was
// flushed to the disk (FlushCheck.cpp).
std::vector<std::string> CheckedFlushes() {
    return {"env", std::string("LD_PRELOAD=") + RZ408_FLUSH_CHECK_LIB};
}

constexpr auto kDeadline = 20s;

const std::string kLogName = "konvertionsfehler.txt";
const std::string kCount = "Anzahl der konvertierten Dateien f\xC3\xBCr Userpatch408: ";

// The log record of a source whose only blanked character is the euro sign (code 128), once.
std::string EuroRecord(const std::string& source) {
    return source +
           " : \r\n             \x80 (ascii werte 128) ist konvertiert zu leerzeichen.\r\n";
}

// The three sources as every row starts them, their targets, and their log records.
struct Source {
    std::string Name;
    std::string Bytes;
    std::string Target;
    std::string TargetBytes;
    std::string Record; // empty: nothing of it became a blank
};

const Source kSources[] = {
    {"a.deu",
     "Gr\xFC\xDF"
     "e \x80\r\nzwei",
     "a.txt", "Gruesse  \r\nzwei\r\n", EuroRecord("a.deu")},
    {"b.deu", "b `q\xB4 \x80\n", "b.txt", "b 'q'  \n\r\n", EuroRecord("b.deu")},
    {"c.deu", "ok", "c.txt", "ok\r\n", ""},
};

// What stands in the folders before the fault is made.
const std::string kOldTarget = "old copy of b\r\n";
const std::string kOldLog = "old log\r\n";
const std::string kOutside = "a file outside the folder\r\n";

enum class RunVia {
    Command, // the batch command on the folder, then on the healthy folder "more"
    Run,     // ConversionRun on the folder's listing, taken before the fault was made
};

// Where a row's files stand. DIR is the folder converted (on the row's tmpfs "disk" when it
// has one); OUTSIDE a folder beside it, never converted; MORE a healthy folder converted after
// DIR by the batch command.
struct Scene {
    Scratch& Disks;
    fs::path Dir;
    fs::path Outside;
    fs::path More;

    // "dir/NAME" or "outside/NAME" as a path.
    fs::path Resolve(const std::string& file) const {
        const std::size_t slash = file.find('/');
        return (file.substr(0, slash) == "dir" ? Dir : Outside) / file.substr(slash + 1);
    }
};

// Makes the fault; returns why the machine does not allow it ("" when made).
using MakeFault = std::string (*)(Scene&);

struct FailedEntry {
    std::string Name; // as listed; "" for the folder itself
    std::string Reason;
};

// How the batch command is started.
enum class Wrapping {
    None,
    WithoutReadOverride, // as root, without CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH
    FileSizeLimit,       // no file may grow beyond 100 KiB (ulimit -f 100)
    CloseFailsForB,      // closing b.deu's copy fails with EIO
    CloseFailsForTheLog, // closing the log file fails with EIO
    ShortWrites,         // every write to a hidden file of the folder writes 3 bytes at most
    OneWriteFailsForB,   // the first write to b.deu's copy fails with EIO, the next ones work
    CheckedFlushes,      // a rename of a file not flushed since it was written is named
    FolderLocked,        // someone else holds an exclusive lock (flock) on the folder
};

struct FaultRow {
    const char* Name;
    RunVia Via;
    const char* Tmpfs; // mount options of the disk DIR stands on; nullptr: the scratch folder
    Wrapping Wrap;     // RunVia::Command only
    MakeFault Fault;
    int ExitCode;                    // RunVia::Command only
    std::vector<FailedEntry> Failed; // every failure, in any order
    std::string Converted;           // the sources ("abc") whose targets must be written
    std::vector<std::string> Kept;   // files ("dir/b.txt") byte-identical afterwards
    const char* DirCount;            // the folder's count message number; nullptr: none
};

void PrintTo(const FaultRow& row, std::ostream* os) {
    *os << row.Name;
}

// ---------------------------------------------------------------------------------------
// The faults.

std::string Remove(const fs::path& path) {
    std::error_code error;
    fs::remove(path, error);
    return error ? "cannot remove " + path.string() + ": " + error.message() : "";
}

// b.deu so large that its copy cannot fit beside it on the disk; the others still fit.
std::string FillDisk(Scene& s) {
    const std::uint64_t free = FreeBytes(s.Dir);
    std::string big;
    const std::string line = "Eine Zeile, die den Datentraeger fuellen hilft: 0123456789\r\n";
    while (big.size() < free * 3 / 4) {
        big += line;
    }
    big += "\x80"; // a record that must not reach the log
    WriteFile(s.Dir / "b.deu", big);
    if (FreeBytes(s.Dir) >= big.size() + 64 * 1024) {
        return "the disk did not fill as planned";
    }
    return {};
}

// Takes inodes until only LEFT are free (in the folder "fill", beside DIR).
std::string UseInodesUpTo(Scene& s, std::uint64_t left) {
    const fs::path fill = s.Dir.parent_path() / "fill";
    fs::create_directory(fill);
    for (int k = 0; FreeInodes(s.Dir) > left; ++k) {
        if (k > 10000) {
            return "the disk reports no inode limit";
        }
        WriteFile(fill / std::to_string(k), "");
    }
    return FreeInodes(s.Dir) == left ? "" : "the disk had fewer inodes than planned";
}

// Two inodes left: one for the log's temporary file, one for a.deu's copy; b.deu and c.deu find
// none (a.txt is new; b.txt would replace an old copy, but its temporary file comes first).
std::string TwoInodesLeft(Scene& s) {
    return UseInodesUpTo(s, 2);
}

std::string NoInodeLeft(Scene& s) {
    return UseInodesUpTo(s, 0);
}

std::string ReadOnlyDisk(Scene& s) {
    return s.Disks.RemountReadOnly("disk");
}

std::string UnreadableSource(Scene& s) {
    fs::permissions(s.Dir / "b.deu", fs::perms::none);
    return {};
}

std::string UnreadableFolder(Scene& s) {
    fs::permissions(s.Dir, fs::perms::none);
    return {};
}

std::string FolderInTargetsPlace(Scene& s) {
    Remove(s.Dir / "b.txt");
    fs::create_directory(s.Dir / "b.txt");
    WriteFile(s.Dir / "b.txt" / "inner.txt", kOutside);
    return {};
}

// The folder in b.txt's place is found only when the copy, streamed whole, is to take its
// place; by then b.deu's long log record has partly gone to the log file and must come out again.
std::string FolderInTargetsPlaceAfterALongRecord(Scene& s) {
    std::string lines;
    for (int k = 0; k < 3000; ++k) {
        lines += "x\x80\r\n";
    }
    WriteFile(s.Dir / "b.deu", lines);
    return FolderInTargetsPlace(s);
}

// Room for the three copies (b.txt's temporary file comes before its old copy goes), none for
// the log when it is written at the end.
std::string NoRoomForTheLog(Scene& s) {
    const std::uint64_t page = 4096;
    const std::uint64_t free = FreeBytes(s.Dir);
    if (free < 2 * page) {
        return "the disk is too small";
    }
    WriteFile(s.Dir.parent_path() / "filler", std::string(free - 2 * page, 'f'));
    return FreeBytes(s.Dir) == 2 * page ? "" : "the disk does not count in pages of 4096 bytes";
}

std::string FifoAsSource(Scene& s) {
    if (auto why = Remove(s.Dir / "b.deu"); !why.empty()) {
        return why;
    }
    if (::mkfifo((s.Dir / "b.deu").c_str(), 0644) != 0) {
        return "cannot make a FIFO here";
    }
    return {};
}

std::string FolderAsSource(Scene& s) {
    Remove(s.Dir / "b.deu");
    fs::create_directory(s.Dir / "b.deu");
    return {};
}

// A link to a device that reads as empty: a run that reads it would write an empty copy.
std::string DeviceAsSource(Scene& s) {
    Remove(s.Dir / "b.deu");
    fs::create_symlink("/dev/null", s.Dir / "b.deu");
    return {};
}

std::string SourceGone(Scene& s) {
    return Remove(s.Dir / "b.deu");
}

std::string LinkOutAsTarget(Scene& s) {
    Remove(s.Dir / "b.txt");
    fs::create_symlink(s.Outside / "victim.txt", s.Dir / "b.txt");
    return {};
}

std::string DanglingLinkOutAsTarget(Scene& s) {
    Remove(s.Dir / "b.txt");
    fs::create_symlink(s.Outside / "not-there.txt", s.Dir / "b.txt");
    return {};
}

std::string HardLinkOutAsTarget(Scene& s) {
    Remove(s.Dir / "b.txt");
    fs::create_hard_link(s.Outside / "victim.txt", s.Dir / "b.txt");
    return {};
}

std::string FifoAsTarget(Scene& s) {
    Remove(s.Dir / "b.txt");
    return ::mkfifo((s.Dir / "b.txt").c_str(), 0644) == 0 ? "" : "cannot make a FIFO here";
}

// A source that the system calls a regular file, whose reading fails: the memory of the process
// that reads it, from address 0.
std::string ReadErrorInSource(Scene& s) {
    Remove(s.Dir / "b.deu");
    fs::create_symlink("/proc/self/mem", s.Dir / "b.deu");
    return fs::is_regular_file(s.Dir / "b.deu") ? "" : "/proc/self/mem is no regular file here";
}

std::string FolderAsLog(Scene& s) {
    Remove(s.Dir / kLogName);
    fs::create_directory(s.Dir / kLogName);
    WriteFile(s.Dir / kLogName / "inner.txt", kOutside);
    return {};
}

std::string LinkOutAsLog(Scene& s) {
    Remove(s.Dir / kLogName);
    fs::create_symlink(s.Outside / "victim.txt", s.Dir / kLogName);
    return {};
}

// Written through, the link would empty the source itself.
std::string LinkToTheSourceAsTarget(Scene& s) {
    Remove(s.Dir / "b.txt");
    fs::create_symlink("b.deu", s.Dir / "b.txt");
    return {};
}

// A source whose copy would be the log file itself.
std::string SourceNamedLikeTheLog(Scene& s) {
    WriteFile(s.Dir / "konvertionsfehler.deu", "\x80");
    return {};
}

std::string ImmutableTarget(Scene& s) {
    return s.Disks.SetImmutable(s.Dir / "b.txt");
}

std::string NoFault(Scene&) {
    return {};
}

std::string DanglingLinkAsSource(Scene& s) {
    Remove(s.Dir / "b.deu");
    fs::create_symlink("gone.deu", s.Dir / "b.deu");
    return {};
}

std::string LinkLoopAsSource(Scene& s) {
    Remove(s.Dir / "b.deu");
    fs::create_symlink("b.deu", s.Dir / "b.deu");
    return {};
}

// b.deu leads into a folder nobody may search.
std::string LinkIntoALockedFolderAsSource(Scene& s) {
    Remove(s.Dir / "b.deu");
    fs::create_directory(s.Outside / "locked");
    WriteFile(s.Outside / "locked" / "b.deu", kSources[1].Bytes);
    fs::permissions(s.Outside / "locked", fs::perms::none);
    fs::create_symlink(s.Outside / "locked" / "b.deu", s.Dir / "b.deu");
    return {};
}

// b.deu, whose copy is larger than the file-size limit (Wrapping::FileSizeLimit) and than a block
// of the run (written on the writing thread but for its end).
std::string LargeSource(Scene& s) {
    std::string large;
    while (large.size() < 300 * 1024) {
        large += "Eine Zeile, die zu lang wird\r\n";
    }
    WriteFile(s.Dir / "b.deu", large + "\x80");
    return {};
}

// The first source, 0.deu, has a log record far larger than the disk, and an old copy; its copy
// and the others fit.
std::string LogLargerThanTheDisk(Scene& s) {
    std::string lines;
    for (int k = 0; k < 5000; ++k) {
        lines += "\x96\r\n";
    }
    WriteFile(s.Dir / "0.deu", lines);
    WriteFile(s.Dir / "0.txt", kOldTarget);
    // Each line gets an entry of more than 50 bytes.
    return FreeBytes(s.Dir) < 5000 * 50 ? "" : "the disk is larger than planned";
}

const std::string kNoSpace = "No space left on device";
const std::string kReadOnly = "Read-only file system";
const std::string kDenied = "Permission denied";
const std::string kIoError = "Input/output error";

// The failure of source X.deu: the source itself, named once, or its copy X.txt.
FailedEntry ReadFailed(const std::string& x, const std::string& reason) {
    return {x + ".deu", "cannot be read: " + reason};
}
FailedEntry WriteFailed(const std::string& x, const std::string& reason) {
    return {x + ".deu", "cannot write " + x + ".txt: " + reason};
}

// clang-format off
const FaultRow kFaultRows[] = {
    // name, via, tmpfs, wrap, fault,
    //     exit, failures, converted, kept, count
    {"FullDisk", RunVia::Command, "size=1m", Wrapping::None, FillDisk,
        1, {WriteFailed("b", kNoSpace)}, "ac", {"dir/b.txt"}, " 2"},
    {"NoInodesLeftForTheLastTwo", RunVia::Command, "size=1m,nr_inodes=48", Wrapping::None, TwoInodesLeft,
        1, {WriteFailed("b", kNoSpace), WriteFailed("c", kNoSpace)}, "a", {"dir/b.txt"}, " 1"},
    {"NoInodeLeftForTheLog", RunVia::Command, "size=1m,nr_inodes=48", Wrapping::None, NoInodeLeft,
        1, {{kLogName, kNoSpace}, WriteFailed("a", kNoSpace), WriteFailed("b", kNoSpace),
            WriteFailed("c", kNoSpace)},
        "", {"dir/b.txt", "dir/" + kLogName}, " 0"},
    {"FullDiskForTheLogKeepsTheOldLog", RunVia::Command, "size=1m", Wrapping::None, NoRoomForTheLog,
        1, {{kLogName, kNoSpace}}, "abc", {"dir/" + kLogName}, " 3"},
    {"ReadOnlyFolder", RunVia::Command, "size=1m", Wrapping::None, ReadOnlyDisk,
        1, {{kLogName, kReadOnly}, WriteFailed("a", kReadOnly), WriteFailed("b", kReadOnly),
            WriteFailed("c", kReadOnly)},
        "", {"dir/b.txt", "dir/" + kLogName}, " 0"},
    {"UnreadableSource", RunVia::Command, nullptr, Wrapping::WithoutReadOverride, UnreadableSource,
        1, {ReadFailed("b", kDenied)}, "ac", {"dir/b.txt"}, " 2"},
    {"UnreadableFolder", RunVia::Command, nullptr, Wrapping::WithoutReadOverride, UnreadableFolder,
        1, {{"", kDenied}}, "", {"dir/b.txt", "dir/" + kLogName}, nullptr},
    {"FolderInTargetsPlace", RunVia::Command, nullptr, Wrapping::None, FolderInTargetsPlace,
        1, {WriteFailed("b", "Is a directory")}, "ac", {"dir/b.txt/inner.txt"}, " 2"},
    {"FolderInTargetsPlaceAfterALongLogRecord", RunVia::Command, nullptr, Wrapping::None,
        FolderInTargetsPlaceAfterALongRecord,
        1, {WriteFailed("b", "Is a directory")}, "ac", {"dir/b.txt/inner.txt"}, " 2"},
    {"ImmutableTarget", RunVia::Command, "size=1m", Wrapping::None, ImmutableTarget,
        1, {WriteFailed("b", "Operation not permitted")}, "ac", {"dir/b.txt"}, " 2"},
    {"ReadErrorInSource", RunVia::Command, nullptr, Wrapping::None, ReadErrorInSource,
        1, {ReadFailed("b", "Input/output error")}, "ac", {"dir/b.txt"}, " 2"},
    {"FolderInTheLogsPlace", RunVia::Command, nullptr, Wrapping::None, FolderAsLog,
        1, {{kLogName, "Is a directory"}}, "abc", {"dir/" + kLogName + "/inner.txt"}, " 3"},
    {"LinkOutOfTheFolderAsLog", RunVia::Command, nullptr, Wrapping::None, LinkOutAsLog,
        0, {}, "abc", {"outside/victim.txt"}, " 3"},
    {"HardLinkOutOfTheFolderAsTarget", RunVia::Command, nullptr, Wrapping::None, HardLinkOutAsTarget,
        0, {}, "abc", {"outside/victim.txt"}, " 3"},
    {"FifoInTargetsPlace", RunVia::Command, nullptr, Wrapping::None, FifoAsTarget,
        0, {}, "abc", {}, " 3"},
    {"LinkToTheSourceAsTarget", RunVia::Command, nullptr, Wrapping::None, LinkToTheSourceAsTarget,
        0, {}, "abc", {"dir/b.deu"}, " 3"},
    {"SourceWhoseCopyWouldBeTheLog", RunVia::Command, nullptr, Wrapping::None, SourceNamedLikeTheLog,
        1, {{"konvertionsfehler.deu", "log file"}}, "abc", {"dir/konvertionsfehler.deu"}, " 3"},
    {"FifoNamedLikeSourceIsNotListed", RunVia::Command, nullptr, Wrapping::None, FifoAsSource,
        0, {}, "ac", {"dir/b.txt"}, " 2"},
    {"DeviceNamedLikeSourceIsNotListed", RunVia::Command, nullptr, Wrapping::None, DeviceAsSource,
        0, {}, "ac", {"dir/b.txt"}, " 2"},
    {"LinkOutOfTheFolderAsTarget", RunVia::Command, nullptr, Wrapping::None, LinkOutAsTarget,
        0, {}, "abc", {"outside/victim.txt"}, " 3"},
    {"DanglingLinkOutOfTheFolderAsTarget", RunVia::Command, nullptr, Wrapping::None, DanglingLinkOutAsTarget,
        0, {}, "abc", {"outside/victim.txt"}, " 3"},
    {"FullDiskForTheLogLeavesRoomForTheCopies", RunVia::Command, "size=256k", Wrapping::None,
        LogLargerThanTheDisk,
        1, {{kLogName, kNoSpace}}, "abc", {"dir/" + kLogName}, " 4"},
    {"FileSizeLimit", RunVia::Command, nullptr, Wrapping::FileSizeLimit, LargeSource,
        1, {WriteFailed("b", "File too large")}, "ac", {"dir/b.txt"}, " 2"},
    {"CloseFailsForACopy", RunVia::Command, nullptr, Wrapping::CloseFailsForB, NoFault,
        1, {WriteFailed("b", kIoError)}, "ac", {"dir/b.txt"}, " 2"},
    {"CloseFailsForTheLog", RunVia::Command, nullptr, Wrapping::CloseFailsForTheLog, NoFault,
        1, {{kLogName, kIoError}}, "abc", {"dir/" + kLogName}, " 3"},
    {"ShortWrites", RunVia::Command, nullptr, Wrapping::ShortWrites, NoFault,
        0, {}, "abc", {}, " 3"},
    {"OneWriteFailsInALargeCopy", RunVia::Command, nullptr, Wrapping::OneWriteFailsForB, LargeSource,
        1, {WriteFailed("b", kIoError)}, "ac", {"dir/b.txt"}, " 2"},
    {"EveryFileOnTheDiskBeforeItIsNamed", RunVia::Command, nullptr, Wrapping::CheckedFlushes, NoFault,
        0, {}, "abc", {}, " 3"},
    {"SomeoneElseLocksTheFolder", RunVia::Command, nullptr, Wrapping::FolderLocked, NoFault,
        0, {}, "abc", {}, " 3"},
    {"DanglingLinkNamedLikeSource", RunVia::Command, nullptr, Wrapping::None, DanglingLinkAsSource,
        1, {ReadFailed("b", "No such file or directory")}, "ac", {"dir/b.txt"}, " 2"},
    {"LinkLoopNamedLikeSource", RunVia::Command, nullptr, Wrapping::None, LinkLoopAsSource,
        1, {ReadFailed("b", "Too many levels of symbolic links")}, "ac", {"dir/b.txt"}, " 2"},
    {"LinkIntoALockedFolderNamedLikeSource", RunVia::Command, nullptr, Wrapping::WithoutReadOverride,
        LinkIntoALockedFolderAsSource,
        1, {ReadFailed("b", kDenied)}, "ac", {"dir/b.txt"}, " 2"},
    {"SourceRemovedAfterListing", RunVia::Run, nullptr, Wrapping::None, SourceGone,
        0, {ReadFailed("b", "No such file or directory")}, "ac", {"dir/b.txt"}, " 2"},
    {"SourceReplacedByFifoAfterListing", RunVia::Run, nullptr, Wrapping::None, FifoAsSource,
        0, {ReadFailed("b", "not a regular file")}, "ac", {"dir/b.txt"}, " 2"},
    {"SourceReplacedByDeviceAfterListing", RunVia::Run, nullptr, Wrapping::None, DeviceAsSource,
        0, {ReadFailed("b", "not a regular file")}, "ac", {"dir/b.txt"}, " 2"},
    {"SourceReplacedByFolderAfterListing", RunVia::Run, nullptr, Wrapping::None, FolderAsSource,
        0, {ReadFailed("b", "Is a directory")}, "ac", {"dir/b.txt"}, " 2"},
};
// clang-format on

// ---------------------------------------------------------------------------------------

bool Converted(const FaultRow& row, const Source& source) {
    return row.Converted.find(source.Name[0]) != std::string::npos;
}

// What one run reported: the count and each failure, from either the command or the run.
struct Outcome {
    std::string Count; // as number text
    std::vector<FailedEntry> Failed;
};

// The report of a ConversionRun, one failure a line, to cross the process boundary.
std::string Serialize(const RunReport& report) {
    std::string text = NumberText(static_cast<std::int64_t>(report.Converted)) + "\n";
    for (const FileFailure& failure : report.Failures) {
        text += failure.Name + "\t" + failure.Reason + "\n";
    }
    return text;
}

Outcome Deserialize(const std::string& text) {
    Outcome outcome;
    std::istringstream lines(text);
    std::getline(lines, outcome.Count);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t tab = line.find('\t');
        outcome.Failed.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return outcome;
}

// The programs the batch command is started through for WRAP, in PREFIX. Returns why the
// machine cannot ("" when it can).
std::string Prefix(Wrapping wrap, const Scene& scene, std::vector<std::string>& prefix) {
    switch (wrap) {
    case Wrapping::None:
        return {};
    case Wrapping::WithoutReadOverride: {
        // Root reads everything: the command then runs without the capabilities that allow it.
        // Others run it as they are, since the permission bits already stop them.
        if (::geteuid() != 0) {
            return {};
        }
        const std::string setpriv = FindTool("setpriv");
        if (setpriv.empty()) {
            return "setpriv (util-linux) is not installed";
        }
        prefix = {setpriv, "--inh-caps=-all", "--bounding-set=-dac_override,-dac_read_search",
                  "--"};
        return {};
    }
    case Wrapping::FileSizeLimit: {
        const std::string prlimit = FindTool("prlimit");
        if (prlimit.empty()) {
            return "prlimit (util-linux) is not installed";
        }
        prefix = {prlimit, "--fsize=" + std::to_string(100 * 1024), "--"};
        return {};
    }
    case Wrapping::CloseFailsForB:
        prefix = FailingClose((scene.Dir / ".b.txt.rz408-").string());
        return {};
    case Wrapping::CloseFailsForTheLog:
        prefix = FailingClose((scene.Dir / ("." + kLogName + ".rz408-")).string());
        return {};
    case Wrapping::ShortWrites:
        prefix = ShortWrites((scene.Dir / ".").string());
        return {};
    case Wrapping::OneWriteFailsForB:
        prefix = OneWriteFails((scene.Dir / ".b.txt.rz408-").string());
        return {};
    case Wrapping::CheckedFlushes:
        prefix = CheckedFlushes();
        return {};
    case Wrapping::FolderLocked:
        return {};
    }
    return "unknown wrap";
}

class FolderFault : public ::testing::TestWithParam<FaultRow> {
protected:
    Scratch m_scratch;
};

TEST_P(FolderFault, NamedReportedAndNothingElseLost) {
    const FaultRow& row = GetParam();
    const bool root = ::geteuid() == 0;

    Scene scene{m_scratch, m_scratch.Path() / "dir", m_scratch.Path() / "outside",
                m_scratch.Path() / "more"};
    if (row.Tmpfs != nullptr) {
        if (!root) {
            GTEST_SKIP() << "mounting a tmpfs needs root";
        }
        if (auto why = m_scratch.MountTmpfs("disk", row.Tmpfs); !why.empty()) {
            GTEST_SKIP() << why;
        }
        scene.Dir = m_scratch.Path() / "disk" / "dir";
    }
    std::vector<std::string> prefix;
    if (auto why = Prefix(row.Wrap, scene, prefix); !why.empty()) {
        GTEST_SKIP() << why;
    }

    fs::create_directories(scene.Dir);
    fs::create_directories(scene.Outside);
    fs::create_directories(scene.More);
    for (const Source& source : kSources) {
        WriteFile(scene.Dir / source.Name, source.Bytes);
    }
    WriteFile(scene.Dir / "b.txt", kOldTarget);
    WriteFile(scene.Dir / kLogName, kOldLog);
    WriteFile(scene.Outside / "victim.txt", kOutside);
    WriteFile(scene.More / "m.deu", "\xE9t\xE9");

    const std::vector<std::string> listing = ListFolder(scene.Dir, kGermanProfile.FilePattern);
    if (auto why = row.Fault(scene); !why.empty()) {
        GTEST_SKIP() << why;
    }

    // Make sure the command really cannot read b.deu before blaming it.
    if (row.Wrap == Wrapping::WithoutReadOverride) {
        std::vector<std::string> probe = prefix;
        probe.push_back("cat");
        probe.push_back((scene.Dir / "b.deu").string());
        const ChildResult probed = RunProgram(probe, kDeadline);
        if (probed.ExitCode == 0) {
            GTEST_SKIP() << "b.deu stays readable here (the capabilities could not be dropped)";
        }
    }

    std::map<std::string, std::string> kept;
    for (const std::string& file : row.Kept) {
        kept[file] = ReadFile(scene.Resolve(file));
    }
    const std::set<std::string> dirBefore = Names(scene.Dir);
    const std::set<std::string> outsideBefore = Names(scene.Outside);

    // The run.
    Outcome outcome;
    if (row.Via == RunVia::Command) {
        std::vector<std::string> argv = prefix;
        argv.insert(argv.end(), {RZ408_CONVERT_EXE, "--language", "german", scene.Dir.string(),
                                 scene.More.string()});
        // Someone else's lock on the folder, held all along: it must not hold the run up (a
        // wait of a moment per file would far exceed the shorter deadline).
        const int locker = row.Wrap == Wrapping::FolderLocked
                               ? ::open(scene.Dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                               : -1;
        ASSERT_TRUE(locker < 0 || ::flock(locker, LOCK_EX) == 0);
        const ChildResult result = RunProgram(argv, locker >= 0 ? kDeadline / 2 : kDeadline);
        if (locker >= 0) {
            ::close(locker);
        }
        ASSERT_FALSE(result.TimedOut) << Describe(result);
        EXPECT_EQ(result.ExitCode, row.ExitCode) << Describe(result);

        std::string out;
        if (row.DirCount != nullptr) {
            out = kCount + row.DirCount + "\n";
        }
        EXPECT_EQ(result.Out, out + kCount + " 1\n");
        EXPECT_EQ(ReadFile(scene.More / "m.txt"), "ete\r\n") << "the folder after the fault";

        // Every failure on a line of its own: the file with its folder, and the reason.
        std::vector<std::string> errLines;
        std::istringstream err(result.Err);
        for (std::string line; std::getline(err, line);) {
            errLines.push_back(line);
        }
        for (const FailedEntry& failed : row.Failed) {
            const std::string path =
                failed.Name.empty() ? scene.Dir.string() : (scene.Dir / failed.Name).string();
            const bool named = std::any_of(errLines.begin(), errLines.end(), [&](const auto& l) {
                return l.find(path) != std::string::npos &&
                       l.find(failed.Reason) != std::string::npos;
            });
            EXPECT_TRUE(named) << "no line names " << path << " with '" << failed.Reason
                               << "' in:\n"
                               << result.Err;
        }
        if (row.Failed.empty()) {
            EXPECT_EQ(result.Err, "");
        }
        for (const Source& source : kSources) {
            if (Converted(row, source)) {
                EXPECT_EQ(result.Err.find((scene.Dir / source.Name).string()), std::string::npos)
                    << source.Name << " was converted, yet named in:\n"
                    << result.Err;
            }
        }
        if (!row.Failed.empty() && row.DirCount != nullptr) {
            const std::string summary = "converted " + std::string(row.DirCount + 1) + " of";
            EXPECT_NE(result.Err.find(summary), std::string::npos) << result.Err;
        }
    } else {
        const ChildResult result = RunForked(
            [&] {
                Module1 m;
                InstallProgramTexts(kGermanProfile, m);
                return Serialize(ConversionRun(m, scene.Dir, listing));
            },
            kDeadline);
        ASSERT_FALSE(result.TimedOut) << Describe(result);
        ASSERT_EQ(result.ExitCode, 0) << Describe(result);
        outcome = Deserialize(result.Out);
        EXPECT_EQ(outcome.Count, row.DirCount);
        ASSERT_EQ(outcome.Failed.size(), row.Failed.size()) << result.Out;
        for (const FailedEntry& failed : row.Failed) {
            const auto it =
                std::find_if(outcome.Failed.begin(), outcome.Failed.end(),
                             [&](const FailedEntry& f) { return f.Name == failed.Name; });
            ASSERT_NE(it, outcome.Failed.end()) << failed.Name << " not reported:\n" << result.Out;
            EXPECT_NE(it->Reason.find(failed.Reason), std::string::npos)
                << failed.Name << ": " << it->Reason;
        }
    }

    // The files afterwards.
    std::string records;
    std::set<std::string> dirExpected = dirBefore;
    for (const Source& source : kSources) {
        SCOPED_TRACE(source.Name);
        if (Converted(row, source)) {
            const fs::path target = scene.Dir / source.Target;
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target))) << "a plain file";
            EXPECT_EQ(ReadFile(target), source.TargetBytes);
            records += source.Record;
            dirExpected.insert(source.Target);
        }
    }
    for (const auto& [file, bytes] : kept) {
        EXPECT_EQ(ReadFile(scene.Resolve(file)), bytes) << file << " changed";
    }
    const bool logKept = std::any_of(kept.begin(), kept.end(), [](const auto& file) {
        return file.first.starts_with("dir/" + kLogName);
    });
    if (!logKept) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(scene.Dir / kLogName))) << "the log";
        EXPECT_EQ(ReadFile(scene.Dir / kLogName), records) << "the log";
    }
    EXPECT_EQ(Names(scene.Dir), dirExpected) << "stray or missing files in the folder";
    EXPECT_EQ(Names(scene.Outside), outsideBefore) << "the folder beside it changed";
}

INSTANTIATE_TEST_SUITE_P(Rows, FolderFault, ::testing::ValuesIn(kFaultRows), RowName());

} // namespace
} // namespace rz408::test
