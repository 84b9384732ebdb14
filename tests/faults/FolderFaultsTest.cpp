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
    std::string name;
    std::string bytes;
    std::string target;
    std::string targetBytes;
    std::string record; // empty: nothing of it became a blank
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

enum class Via {
    Command, // the batch command on the folder, then on the healthy folder "more"
    Run,     // ConversionRun on the folder's listing, taken before the fault was made
};

// Where a row's files stand. DIR is the folder converted (on the row's tmpfs "disk" when it
// has one); OUTSIDE a folder beside it, never converted; MORE a healthy folder converted after
// DIR by the batch command.
struct Scene {
    Scratch& scratch;
    fs::path dir;
    fs::path outside;
    fs::path more;

    // "dir/NAME" or "outside/NAME" as a path.
    fs::path Resolve(const std::string& file) const {
        const std::size_t slash = file.find('/');
        return (file.substr(0, slash) == "dir" ? dir : outside) / file.substr(slash + 1);
    }
};

// Makes the fault; returns why the machine does not allow it ("" when made).
using MakeFault = std::string (*)(Scene&);

struct Failed {
    std::string name; // as listed; "" for the folder itself
    std::string reason;
};

// How the batch command is started.
enum class Wrap {
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
    const char* name;
    Via via;
    const char* tmpfs; // mount options of the disk DIR stands on; nullptr: the scratch folder
    Wrap wrap;         // Via::Command only
    MakeFault fault;
    int exitCode;                  // Via::Command only
    std::vector<Failed> failed;    // every failure, in any order
    std::string converted;         // the sources ("abc") whose targets must be written
    std::vector<std::string> kept; // files ("dir/b.txt") byte-identical afterwards
    const char* dirCount;          // the folder's count message number; nullptr: none
};

void PrintTo(const FaultRow& row, std::ostream* os) {
    *os << row.name;
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
    const std::uint64_t free = FreeBytes(s.dir);
    std::string big;
    const std::string line = "Eine Zeile, die den Datentraeger fuellen hilft: 0123456789\r\n";
    while (big.size() < free * 3 / 4) {
        big += line;
    }
    big += "\x80"; // a record that must not reach the log
    WriteFile(s.dir / "b.deu", big);
    if (FreeBytes(s.dir) >= big.size() + 64 * 1024) {
        return "the disk did not fill as planned";
    }
    return {};
}

// Takes inodes until only LEFT are free (in the folder "fill", beside DIR).
std::string UseInodesUpTo(Scene& s, std::uint64_t left) {
    const fs::path fill = s.dir.parent_path() / "fill";
    fs::create_directory(fill);
    for (int k = 0; FreeInodes(s.dir) > left; ++k) {
        if (k > 10000) {
            return "the disk reports no inode limit";
        }
        WriteFile(fill / std::to_string(k), "");
    }
    return FreeInodes(s.dir) == left ? "" : "the disk had fewer inodes than planned";
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
    return s.scratch.RemountReadOnly("disk");
}

std::string UnreadableSource(Scene& s) {
    fs::permissions(s.dir / "b.deu", fs::perms::none);
    return {};
}

std::string UnreadableFolder(Scene& s) {
    fs::permissions(s.dir, fs::perms::none);
    return {};
}

std::string FolderInTargetsPlace(Scene& s) {
    Remove(s.dir / "b.txt");
    fs::create_directory(s.dir / "b.txt");
    WriteFile(s.dir / "b.txt" / "inner.txt", kOutside);
    return {};
}

// The folder in b.txt's place is found only when the copy, streamed whole, is to take its
// place; by then b.deu's long log record has partly gone to the log file and must come out again.
std::string FolderInTargetsPlaceAfterALongRecord(Scene& s) {
    std::string lines;
    for (int k = 0; k < 3000; ++k) {
        lines += "x\x80\r\n";
    }
    WriteFile(s.dir / "b.deu", lines);
    return FolderInTargetsPlace(s);
}

// Room for the three copies (b.txt's temporary file comes before its old copy goes), none for
// the log when it is written at the end.
std::string NoRoomForTheLog(Scene& s) {
    const std::uint64_t page = 4096;
    const std::uint64_t free = FreeBytes(s.dir);
    if (free < 2 * page) {
        return "the disk is too small";
    }
    WriteFile(s.dir.parent_path() / "filler", std::string(free - 2 * page, 'f'));
    return FreeBytes(s.dir) == 2 * page ? "" : "the disk does not count in pages of 4096 bytes";
}

std::string FifoAsSource(Scene& s) {
    if (auto why = Remove(s.dir / "b.deu"); !why.empty()) {
        return why;
    }
    if (::mkfifo((s.dir / "b.deu").c_str(), 0644) != 0) {
        return "cannot make a FIFO here";
    }
    return {};
}

std::string FolderAsSource(Scene& s) {
    Remove(s.dir / "b.deu");
    fs::create_directory(s.dir / "b.deu");
    return {};
}

// A link to a device that reads as empty: a run that reads it would write an empty copy.
std::string DeviceAsSource(Scene& s) {
    Remove(s.dir / "b.deu");
    fs::create_symlink("/dev/null", s.dir / "b.deu");
    return {};
}

std::string SourceGone(Scene& s) {
    return Remove(s.dir / "b.deu");
}

std::string LinkOutAsTarget(Scene& s) {
    Remove(s.dir / "b.txt");
    fs::create_symlink(s.outside / "victim.txt", s.dir / "b.txt");
    return {};
}

std::string DanglingLinkOutAsTarget(Scene& s) {
    Remove(s.dir / "b.txt");
    fs::create_symlink(s.outside / "not-there.txt", s.dir / "b.txt");
    return {};
}

std::string HardLinkOutAsTarget(Scene& s) {
    Remove(s.dir / "b.txt");
    fs::create_hard_link(s.outside / "victim.txt", s.dir / "b.txt");
    return {};
}

std::string FifoAsTarget(Scene& s) {
    Remove(s.dir / "b.txt");
    return ::mkfifo((s.dir / "b.txt").c_str(), 0644) == 0 ? "" : "cannot make a FIFO here";
}

// A source that the system calls a regular file, whose reading fails: the memory of the process
// that reads it, from address 0.
std::string ReadErrorInSource(Scene& s) {
    Remove(s.dir / "b.deu");
    fs::create_symlink("/proc/self/mem", s.dir / "b.deu");
    return fs::is_regular_file(s.dir / "b.deu") ? "" : "/proc/self/mem is no regular file here";
}

std::string FolderAsLog(Scene& s) {
    Remove(s.dir / kLogName);
    fs::create_directory(s.dir / kLogName);
    WriteFile(s.dir / kLogName / "inner.txt", kOutside);
    return {};
}

std::string LinkOutAsLog(Scene& s) {
    Remove(s.dir / kLogName);
    fs::create_symlink(s.outside / "victim.txt", s.dir / kLogName);
    return {};
}

// Written through, the link would empty the source itself.
std::string LinkToTheSourceAsTarget(Scene& s) {
    Remove(s.dir / "b.txt");
    fs::create_symlink("b.deu", s.dir / "b.txt");
    return {};
}

// A source whose copy would be the log file itself.
std::string SourceNamedLikeTheLog(Scene& s) {
    WriteFile(s.dir / "konvertionsfehler.deu", "\x80");
    return {};
}

std::string ImmutableTarget(Scene& s) {
    return s.scratch.SetImmutable(s.dir / "b.txt");
}

std::string NoFault(Scene&) {
    return {};
}

std::string DanglingLinkAsSource(Scene& s) {
    Remove(s.dir / "b.deu");
    fs::create_symlink("gone.deu", s.dir / "b.deu");
    return {};
}

std::string LinkLoopAsSource(Scene& s) {
    Remove(s.dir / "b.deu");
    fs::create_symlink("b.deu", s.dir / "b.deu");
    return {};
}

// b.deu leads into a folder nobody may search.
std::string LinkIntoALockedFolderAsSource(Scene& s) {
    Remove(s.dir / "b.deu");
    fs::create_directory(s.outside / "locked");
    WriteFile(s.outside / "locked" / "b.deu", kSources[1].bytes);
    fs::permissions(s.outside / "locked", fs::perms::none);
    fs::create_symlink(s.outside / "locked" / "b.deu", s.dir / "b.deu");
    return {};
}

// b.deu, whose copy is larger than the file-size limit (Wrap::FileSizeLimit) and than a block of
// the run (written on the writing thread but for its end).
std::string LargeSource(Scene& s) {
    std::string large;
    while (large.size() < 300 * 1024) {
        large += "Eine Zeile, die zu lang wird\r\n";
    }
    WriteFile(s.dir / "b.deu", large + "\x80");
    return {};
}

// The first source, 0.deu, has a log record far larger than the disk, and an old copy; its copy
// and the others fit.
std::string LogLargerThanTheDisk(Scene& s) {
    std::string lines;
    for (int k = 0; k < 5000; ++k) {
        lines += "\x96\r\n";
    }
    WriteFile(s.dir / "0.deu", lines);
    WriteFile(s.dir / "0.txt", kOldTarget);
    // Each line gets an entry of more than 50 bytes.
    return FreeBytes(s.dir) < 5000 * 50 ? "" : "the disk is larger than planned";
}

const std::string kNoSpace = "No space left on device";
const std::string kReadOnly = "Read-only file system";
const std::string kDenied = "Permission denied";
const std::string kIoError = "Input/output error";

// The failure of source X.deu: the source itself, named once, or its copy X.txt.
Failed ReadFailed(const std::string& x, const std::string& reason) {
    return {x + ".deu", "cannot be read: " + reason};
}
Failed WriteFailed(const std::string& x, const std::string& reason) {
    return {x + ".deu", "cannot write " + x + ".txt: " + reason};
}

// clang-format off
const FaultRow kFaultRows[] = {
    // name, via, tmpfs, wrap, fault,
    //     exit, failures, converted, kept, count
    {"FullDisk", Via::Command, "size=1m", Wrap::None, FillDisk,
        1, {WriteFailed("b", kNoSpace)}, "ac", {"dir/b.txt"}, " 2"},
    {"NoInodesLeftForTheLastTwo", Via::Command, "size=1m,nr_inodes=48", Wrap::None, TwoInodesLeft,
        1, {WriteFailed("b", kNoSpace), WriteFailed("c", kNoSpace)}, "a", {"dir/b.txt"}, " 1"},
    {"NoInodeLeftForTheLog", Via::Command, "size=1m,nr_inodes=48", Wrap::None, NoInodeLeft,
        1, {{kLogName, kNoSpace}, WriteFailed("a", kNoSpace), WriteFailed("b", kNoSpace),
            WriteFailed("c", kNoSpace)},
        "", {"dir/b.txt", "dir/" + kLogName}, " 0"},
    {"FullDiskForTheLogKeepsTheOldLog", Via::Command, "size=1m", Wrap::None, NoRoomForTheLog,
        1, {{kLogName, kNoSpace}}, "abc", {"dir/" + kLogName}, " 3"},
    {"ReadOnlyFolder", Via::Command, "size=1m", Wrap::None, ReadOnlyDisk,
        1, {{kLogName, kReadOnly}, WriteFailed("a", kReadOnly), WriteFailed("b", kReadOnly),
            WriteFailed("c", kReadOnly)},
        "", {"dir/b.txt", "dir/" + kLogName}, " 0"},
    {"UnreadableSource", Via::Command, nullptr, Wrap::WithoutReadOverride, UnreadableSource,
        1, {ReadFailed("b", kDenied)}, "ac", {"dir/b.txt"}, " 2"},
    {"UnreadableFolder", Via::Command, nullptr, Wrap::WithoutReadOverride, UnreadableFolder,
        1, {{"", kDenied}}, "", {"dir/b.txt", "dir/" + kLogName}, nullptr},
    {"FolderInTargetsPlace", Via::Command, nullptr, Wrap::None, FolderInTargetsPlace,
        1, {WriteFailed("b", "Is a directory")}, "ac", {"dir/b.txt/inner.txt"}, " 2"},
    {"FolderInTargetsPlaceAfterALongLogRecord", Via::Command, nullptr, Wrap::None,
        FolderInTargetsPlaceAfterALongRecord,
        1, {WriteFailed("b", "Is a directory")}, "ac", {"dir/b.txt/inner.txt"}, " 2"},
    {"ImmutableTarget", Via::Command, "size=1m", Wrap::None, ImmutableTarget,
        1, {WriteFailed("b", "Operation not permitted")}, "ac", {"dir/b.txt"}, " 2"},
    {"ReadErrorInSource", Via::Command, nullptr, Wrap::None, ReadErrorInSource,
        1, {ReadFailed("b", "Input/output error")}, "ac", {"dir/b.txt"}, " 2"},
    {"FolderInTheLogsPlace", Via::Command, nullptr, Wrap::None, FolderAsLog,
        1, {{kLogName, "Is a directory"}}, "abc", {"dir/" + kLogName + "/inner.txt"}, " 3"},
    {"LinkOutOfTheFolderAsLog", Via::Command, nullptr, Wrap::None, LinkOutAsLog,
        0, {}, "abc", {"outside/victim.txt"}, " 3"},
    {"HardLinkOutOfTheFolderAsTarget", Via::Command, nullptr, Wrap::None, HardLinkOutAsTarget,
        0, {}, "abc", {"outside/victim.txt"}, " 3"},
    {"FifoInTargetsPlace", Via::Command, nullptr, Wrap::None, FifoAsTarget,
        0, {}, "abc", {}, " 3"},
    {"LinkToTheSourceAsTarget", Via::Command, nullptr, Wrap::None, LinkToTheSourceAsTarget,
        0, {}, "abc", {"dir/b.deu"}, " 3"},
    {"SourceWhoseCopyWouldBeTheLog", Via::Command, nullptr, Wrap::None, SourceNamedLikeTheLog,
        1, {{"konvertionsfehler.deu", "log file"}}, "abc", {"dir/konvertionsfehler.deu"}, " 3"},
    {"FifoNamedLikeSourceIsNotListed", Via::Command, nullptr, Wrap::None, FifoAsSource,
        0, {}, "ac", {"dir/b.txt"}, " 2"},
    {"DeviceNamedLikeSourceIsNotListed", Via::Command, nullptr, Wrap::None, DeviceAsSource,
        0, {}, "ac", {"dir/b.txt"}, " 2"},
    {"LinkOutOfTheFolderAsTarget", Via::Command, nullptr, Wrap::None, LinkOutAsTarget,
        0, {}, "abc", {"outside/victim.txt"}, " 3"},
    {"DanglingLinkOutOfTheFolderAsTarget", Via::Command, nullptr, Wrap::None, DanglingLinkOutAsTarget,
        0, {}, "abc", {"outside/victim.txt"}, " 3"},
    {"FullDiskForTheLogLeavesRoomForTheCopies", Via::Command, "size=256k", Wrap::None,
        LogLargerThanTheDisk,
        1, {{kLogName, kNoSpace}}, "abc", {"dir/" + kLogName}, " 4"},
    {"FileSizeLimit", Via::Command, nullptr, Wrap::FileSizeLimit, LargeSource,
        1, {WriteFailed("b", "File too large")}, "ac", {"dir/b.txt"}, " 2"},
    {"CloseFailsForACopy", Via::Command, nullptr, Wrap::CloseFailsForB, NoFault,
        1, {WriteFailed("b", kIoError)}, "ac", {"dir/b.txt"}, " 2"},
    {"CloseFailsForTheLog", Via::Command, nullptr, Wrap::CloseFailsForTheLog, NoFault,
        1, {{kLogName, kIoError}}, "abc", {"dir/" + kLogName}, " 3"},
    {"ShortWrites", Via::Command, nullptr, Wrap::ShortWrites, NoFault,
        0, {}, "abc", {}, " 3"},
    {"OneWriteFailsInALargeCopy", Via::Command, nullptr, Wrap::OneWriteFailsForB, LargeSource,
        1, {WriteFailed("b", kIoError)}, "ac", {"dir/b.txt"}, " 2"},
    {"EveryFileOnTheDiskBeforeItIsNamed", Via::Command, nullptr, Wrap::CheckedFlushes, NoFault,
        0, {}, "abc", {}, " 3"},
    {"SomeoneElseLocksTheFolder", Via::Command, nullptr, Wrap::FolderLocked, NoFault,
        0, {}, "abc", {}, " 3"},
    {"DanglingLinkNamedLikeSource", Via::Command, nullptr, Wrap::None, DanglingLinkAsSource,
        1, {ReadFailed("b", "No such file or directory")}, "ac", {"dir/b.txt"}, " 2"},
    {"LinkLoopNamedLikeSource", Via::Command, nullptr, Wrap::None, LinkLoopAsSource,
        1, {ReadFailed("b", "Too many levels of symbolic links")}, "ac", {"dir/b.txt"}, " 2"},
    {"LinkIntoALockedFolderNamedLikeSource", Via::Command, nullptr, Wrap::WithoutReadOverride,
        LinkIntoALockedFolderAsSource,
        1, {ReadFailed("b", kDenied)}, "ac", {"dir/b.txt"}, " 2"},
    {"SourceRemovedAfterListing", Via::Run, nullptr, Wrap::None, SourceGone,
        0, {ReadFailed("b", "No such file or directory")}, "ac", {"dir/b.txt"}, " 2"},
    {"SourceReplacedByFifoAfterListing", Via::Run, nullptr, Wrap::None, FifoAsSource,
        0, {ReadFailed("b", "not a regular file")}, "ac", {"dir/b.txt"}, " 2"},
    {"SourceReplacedByDeviceAfterListing", Via::Run, nullptr, Wrap::None, DeviceAsSource,
        0, {ReadFailed("b", "not a regular file")}, "ac", {"dir/b.txt"}, " 2"},
    {"SourceReplacedByFolderAfterListing", Via::Run, nullptr, Wrap::None, FolderAsSource,
        0, {ReadFailed("b", "Is a directory")}, "ac", {"dir/b.txt"}, " 2"},
};
// clang-format on

// ---------------------------------------------------------------------------------------

bool Converted(const FaultRow& row, const Source& source) {
    return row.converted.find(source.name[0]) != std::string::npos;
}

// What one run reported: the count and each failure, from either the command or the run.
struct Outcome {
    std::string count; // as number text
    std::vector<Failed> failed;
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
    std::getline(lines, outcome.count);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t tab = line.find('\t');
        outcome.failed.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return outcome;
}

// The programs the batch command is started through for WRAP, in PREFIX. Returns why the
// machine cannot ("" when it can).
std::string Prefix(Wrap wrap, const Scene& scene, std::vector<std::string>& prefix) {
    switch (wrap) {
    case Wrap::None:
        return {};
    case Wrap::WithoutReadOverride: {
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
    case Wrap::FileSizeLimit: {
        const std::string prlimit = FindTool("prlimit");
        if (prlimit.empty()) {
            return "prlimit (util-linux) is not installed";
        }
        prefix = {prlimit, "--fsize=" + std::to_string(100 * 1024), "--"};
        return {};
    }
    case Wrap::CloseFailsForB:
        prefix = FailingClose((scene.dir / ".b.txt.rz408-").string());
        return {};
    case Wrap::CloseFailsForTheLog:
        prefix = FailingClose((scene.dir / ("." + kLogName + ".rz408-")).string());
        return {};
    case Wrap::ShortWrites:
        prefix = ShortWrites((scene.dir / ".").string());
        return {};
    case Wrap::OneWriteFailsForB:
        prefix = OneWriteFails((scene.dir / ".b.txt.rz408-").string());
        return {};
    case Wrap::CheckedFlushes:
        prefix = CheckedFlushes();
        return {};
    case Wrap::FolderLocked:
        return {};
    }
    return "unknown wrap";
}

class FolderFault : public ::testing::TestWithParam<FaultRow> {
protected:
    Scratch scratch;
};

TEST_P(FolderFault, NamedReportedAndNothingElseLost) {
    const FaultRow& row = GetParam();
    const bool root = ::geteuid() == 0;

    Scene scene{scratch, scratch.path() / "dir", scratch.path() / "outside",
                scratch.path() / "more"};
    if (row.tmpfs != nullptr) {
        if (!root) {
            GTEST_SKIP() << "mounting a tmpfs needs root";
        }
        if (auto why = scratch.MountTmpfs("disk", row.tmpfs); !why.empty()) {
            GTEST_SKIP() << why;
        }
        scene.dir = scratch.path() / "disk" / "dir";
    }
    std::vector<std::string> prefix;
    if (auto why = Prefix(row.wrap, scene, prefix); !why.empty()) {
        GTEST_SKIP() << why;
    }

    fs::create_directories(scene.dir);
    fs::create_directories(scene.outside);
    fs::create_directories(scene.more);
    for (const Source& source : kSources) {
        WriteFile(scene.dir / source.name, source.bytes);
    }
    WriteFile(scene.dir / "b.txt", kOldTarget);
    WriteFile(scene.dir / kLogName, kOldLog);
    WriteFile(scene.outside / "victim.txt", kOutside);
    WriteFile(scene.more / "m.deu", "\xE9t\xE9");

    const std::vector<std::string> listing = ListFolder(scene.dir, kGermanProfile.FilePattern);
    if (auto why = row.fault(scene); !why.empty()) {
        GTEST_SKIP() << why;
    }

    // Make sure the command really cannot read b.deu before blaming it.
    if (row.wrap == Wrap::WithoutReadOverride) {
        std::vector<std::string> probe = prefix;
        probe.push_back("cat");
        probe.push_back((scene.dir / "b.deu").string());
        const ChildResult probed = RunProgram(probe, kDeadline);
        if (probed.exitCode == 0) {
            GTEST_SKIP() << "b.deu stays readable here (the capabilities could not be dropped)";
        }
    }

    std::map<std::string, std::string> kept;
    for (const std::string& file : row.kept) {
        kept[file] = ReadFile(scene.Resolve(file));
    }
    const std::set<std::string> dirBefore = Names(scene.dir);
    const std::set<std::string> outsideBefore = Names(scene.outside);

    // The run.
    Outcome outcome;
    if (row.via == Via::Command) {
        std::vector<std::string> argv = prefix;
        argv.insert(argv.end(), {RZ408_CONVERT_EXE, "--language", "german", scene.dir.string(),
                                 scene.more.string()});
        // Someone else's lock on the folder, held all along: it must not hold the run up (a
        // wait of a moment per file would far exceed the shorter deadline).
        const int locker = row.wrap == Wrap::FolderLocked
                               ? ::open(scene.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                               : -1;
        ASSERT_TRUE(locker < 0 || ::flock(locker, LOCK_EX) == 0);
        const ChildResult result = RunProgram(argv, locker >= 0 ? kDeadline / 2 : kDeadline);
        if (locker >= 0) {
            ::close(locker);
        }
        ASSERT_FALSE(result.timedOut) << Describe(result);
        EXPECT_EQ(result.exitCode, row.exitCode) << Describe(result);

        std::string out;
        if (row.dirCount != nullptr) {
            out = kCount + row.dirCount + "\n";
        }
        EXPECT_EQ(result.out, out + kCount + " 1\n");
        EXPECT_EQ(ReadFile(scene.more / "m.txt"), "ete\r\n") << "the folder after the fault";

        // Every failure on a line of its own: the file with its folder, and the reason.
        std::vector<std::string> errLines;
        std::istringstream err(result.err);
        for (std::string line; std::getline(err, line);) {
            errLines.push_back(line);
        }
        for (const Failed& failed : row.failed) {
            const std::string path =
                failed.name.empty() ? scene.dir.string() : (scene.dir / failed.name).string();
            const bool named = std::any_of(errLines.begin(), errLines.end(), [&](const auto& l) {
                return l.find(path) != std::string::npos &&
                       l.find(failed.reason) != std::string::npos;
            });
            EXPECT_TRUE(named) << "no line names " << path << " with '" << failed.reason
                               << "' in:\n"
                               << result.err;
        }
        if (row.failed.empty()) {
            EXPECT_EQ(result.err, "");
        }
        for (const Source& source : kSources) {
            if (Converted(row, source)) {
                EXPECT_EQ(result.err.find((scene.dir / source.name).string()), std::string::npos)
                    << source.name << " was converted, yet named in:\n"
                    << result.err;
            }
        }
        if (!row.failed.empty() && row.dirCount != nullptr) {
            const std::string summary = "converted " + std::string(row.dirCount + 1) + " of";
            EXPECT_NE(result.err.find(summary), std::string::npos) << result.err;
        }
    } else {
        const ChildResult result = RunForked(
            [&] {
                Module1 m;
                InstallProgramTexts(kGermanProfile, m);
                return Serialize(ConversionRun(m, scene.dir, listing));
            },
            kDeadline);
        ASSERT_FALSE(result.timedOut) << Describe(result);
        ASSERT_EQ(result.exitCode, 0) << Describe(result);
        outcome = Deserialize(result.out);
        EXPECT_EQ(outcome.count, row.dirCount);
        ASSERT_EQ(outcome.failed.size(), row.failed.size()) << result.out;
        for (const Failed& failed : row.failed) {
            const auto it = std::find_if(outcome.failed.begin(), outcome.failed.end(),
                                         [&](const Failed& f) { return f.name == failed.name; });
            ASSERT_NE(it, outcome.failed.end()) << failed.name << " not reported:\n" << result.out;
            EXPECT_NE(it->reason.find(failed.reason), std::string::npos)
                << failed.name << ": " << it->reason;
        }
    }

    // The files afterwards.
    std::string records;
    std::set<std::string> dirExpected = dirBefore;
    for (const Source& source : kSources) {
        SCOPED_TRACE(source.name);
        if (Converted(row, source)) {
            const fs::path target = scene.dir / source.target;
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target))) << "a plain file";
            EXPECT_EQ(ReadFile(target), source.targetBytes);
            records += source.record;
            dirExpected.insert(source.target);
        }
    }
    for (const auto& [file, bytes] : kept) {
        EXPECT_EQ(ReadFile(scene.Resolve(file)), bytes) << file << " changed";
    }
    const bool logKept = std::any_of(kept.begin(), kept.end(), [](const auto& file) {
        return file.first.starts_with("dir/" + kLogName);
    });
    if (!logKept) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(scene.dir / kLogName))) << "the log";
        EXPECT_EQ(ReadFile(scene.dir / kLogName), records) << "the log";
    }
    EXPECT_EQ(Names(scene.dir), dirExpected) << "stray or missing files in the folder";
    EXPECT_EQ(Names(scene.outside), outsideBefore) << "the folder beside it changed";
}

INSTANTIATE_TEST_SUITE_P(Rows, FolderFault, ::testing::ValuesIn(kFaultRows), RowName());

} // namespace
} // namespace rz408::test
