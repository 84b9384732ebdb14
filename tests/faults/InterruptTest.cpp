// SPDX-License-Identifier: GPL-3.0-or-later
// The batch command stopped in the middle of a file by a signal that ends a program politely
// (Ctrl+C, kill, a closed terminal): the old copy and the old log stay, and nothing stray is left
// in the folder, not even the half-written copy, however long the folder's path. Killed outright
// (or cut off by a power cut), a run leaves its temporary files: the next run in the folder
// removes them, but never those of a run that is still going on.

#include "Processes_linux.h"
#include "Rows.h"
#include "Scratch_linux.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <thread>

namespace rz408::test {
namespace {

namespace fs = std::filesystem;

using namespace std::chrono_literals;

struct InterruptRow {
    const char* Name;
    int Signal;
    std::size_t PathLength = 0; // the folder's path is at least this long
};

const InterruptRow kInterruptRows[] = {
    {"CtrlC", SIGINT},
    {"Kill", SIGTERM},
    {"TerminalClosed", SIGHUP},
    {"KillInALongFolderPath", SIGTERM, 1000},
    // Close to the longest path the system takes (4096 bytes with the file's name).
    {"CtrlCInTheLongestFolderPath", SIGINT, 3900},
};

void PrintTo(const InterruptRow& row, std::ostream* os) {
    *os << row.Name;
}

class Interrupt : public ::testing::TestWithParam<InterruptRow> {};

// The bytes process PID has read so far (0 when it cannot be told).
std::uint64_t BytesRead(pid_t pid) {
    const std::string io = ReadFile("/proc/" + std::to_string(pid) + "/io");
    const std::size_t at = io.find("rchar: ");
    return at == std::string::npos ? 0 : std::stoull(io.substr(at + 7));
}

// A folder "dir" below SCRATCH whose path is at least LENGTH bytes long, made of folders of
// 200-byte names, holding a source large enough to be caught in the middle of, its old copy and
// an old log.
fs::path FolderWithABigSource(const Scratch& scratch, std::size_t length = 0) {
    fs::path dir = scratch.Path();
    while (dir.native().size() + 4 < length) {
        dir /= std::string(200, 'd');
    }
    dir /= "dir";
    fs::create_directories(dir);
    WriteFile(dir / "big.deu", std::string(std::size_t{300} << 20, 'a'));
    WriteFile(dir / "big.txt", "old copy\r\n");
    WriteFile(dir / "konvertionsfehler.txt", "old log\r\n");
    return dir;
}

// The batch command started on DIR, its output thrown away.
pid_t StartCommand(const fs::path& dir) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execl(RZ408_CONVERT_EXE, RZ408_CONVERT_EXE, "-l", "de", dir.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

// Waits until process PID is well into big.deu, then sends it SIGNAL. False when the run ended
// (or hung) before; the process is then gone. Otherwise STATUS is how it ended, unless SIGNAL
// does not end it (SIGSTOP).
bool SignalInTheMiddle(pid_t pid, int signal, int& status) {
    bool caught = false;
    for (auto until = std::chrono::steady_clock::now() + 20s;
         std::chrono::steady_clock::now() < until;) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            return false;
        }
        if (BytesRead(pid) > (std::uint64_t{32} << 20)) {
            ::kill(pid, signal);
            caught = true;
            break;
        }
        std::this_thread::sleep_for(200us);
    }
    if (!caught) {
        ::kill(pid, SIGKILL);
    }
    if (!caught || signal != SIGSTOP) {
        ::waitpid(pid, &status, 0);
    }
    return caught;
}

// The names in DIR of temporary files.
std::set<std::string> Temporaries(const fs::path& dir) {
    std::set<std::string> names;
    for (const std::string& name : Names(dir)) {
        if (name.find(".rz408-") != std::string::npos) {
            names.insert(name);
        }
    }
    return names;
}

TEST_P(Interrupt, LeavesTheOldFilesAndNothingStray) {
    const InterruptRow& row = GetParam();
    Scratch scratch;
    const fs::path dir = FolderWithABigSource(scratch, row.PathLength);
    const std::set<std::string> before = Names(dir);

    const pid_t pid = StartCommand(dir);
    ASSERT_GE(pid, 0);
    int status = 0;
    if (!SignalInTheMiddle(pid, row.Signal, status)) {
        GTEST_SKIP() << "the run ended before it could be interrupted";
    }
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "an interrupted run succeeded";
    EXPECT_EQ(ReadFile(dir / "big.txt"), "old copy\r\n");
    EXPECT_EQ(ReadFile(dir / "konvertionsfehler.txt"), "old log\r\n");
    EXPECT_EQ(Names(dir), before) << "stray files left in the folder";
}

INSTANTIATE_TEST_SUITE_P(Rows, Interrupt, ::testing::ValuesIn(kInterruptRows), RowName());

// A second run in the folder of a first one stopped in the middle of big.deu: killed outright,
// the first run left its temporary files, and the second removes them; only held (SIGSTOP), the
// first run is alive, and the second leaves its files alone, so that it can still finish.
struct SecondRunRow {
    const char* Name;
    int Signal; // what stops the first run
    bool FirstAlive;
};

const SecondRunRow kSecondRunRows[] = {
    {"AfterAKilledRunRemovesItsLeftovers", SIGKILL, false},
    {"BesideALiveRunKeepsItsFiles", SIGSTOP, true},
};

void PrintTo(const SecondRunRow& row, std::ostream* os) {
    *os << row.Name;
}

class SecondRun : public ::testing::TestWithParam<SecondRunRow> {};

TEST_P(SecondRun, RemovesWhatDeadRunsLeftOnly) {
    const SecondRunRow& row = GetParam();
    Scratch scratch;
    const fs::path dir = FolderWithABigSource(scratch);
    const std::set<std::string> before = Names(dir);
    const pid_t pid = StartCommand(dir);
    ASSERT_GE(pid, 0);
    int status = 0;
    if (!SignalInTheMiddle(pid, row.Signal, status)) {
        GTEST_SKIP() << "the first run ended before it could be stopped";
    }
    const std::set<std::string> held = Temporaries(dir);
    EXPECT_EQ(held.size(), 2u) << "the copy's and the log's temporary files";
    if (!row.FirstAlive) {
        WriteFile(dir / "big.deu", "klein\x80"); // a quick second run
    }

    const ChildResult second = RunProgram({RZ408_CONVERT_EXE, "-l", "de", dir.string()}, 60s);
    EXPECT_EQ(second.ExitCode, 0) << Describe(second);
    if (row.FirstAlive) {
        EXPECT_EQ(Temporaries(dir), held) << "the second run took the first one's files";
        ::kill(pid, SIGCONT);
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "the first run failed, status " << status;
        EXPECT_EQ(ReadFile(dir / "big.txt").size(), (std::size_t{300} << 20) + 2);
    } else {
        EXPECT_EQ(ReadFile(dir / "big.txt"), "klein \r\n");
    }
    EXPECT_EQ(Names(dir), before) << "stray files left in the folder";
}

INSTANTIATE_TEST_SUITE_P(Rows, SecondRun, ::testing::ValuesIn(kSecondRunRows), RowName());

} // namespace
} // namespace rz408::test
