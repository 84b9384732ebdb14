// The batch command stopped in the middle of a file by a signal that ends a program politely
// (Ctrl+C, kill, a closed terminal): the old copy and the old log stay, and nothing stray is left
// in the folder, not even the half-written copy.

#include "FaultSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <thread>

namespace rz408::faults {
namespace {

using namespace std::chrono_literals;

struct InterruptRow {
    const char* name;
    int signal;
};

const InterruptRow kInterruptRows[] = {
    {"CtrlC", SIGINT},
    {"Kill", SIGTERM},
    {"TerminalClosed", SIGHUP},
};

void PrintTo(const InterruptRow& row, std::ostream* os) {
    *os << row.name;
}

class Interrupt : public ::testing::TestWithParam<InterruptRow> {};

// The bytes process PID has read so far (0 when it cannot be told).
std::uint64_t BytesRead(pid_t pid) {
    const std::string io = ReadBytes("/proc/" + std::to_string(pid) + "/io");
    const std::size_t at = io.find("rchar: ");
    return at == std::string::npos ? 0 : std::stoull(io.substr(at + 7));
}

TEST_P(Interrupt, LeavesTheOldFilesAndNothingStray) {
    const InterruptRow& row = GetParam();
    Scratch scratch;
    const fs::path dir = scratch.path() / "dir";
    fs::create_directory(dir);
    // Large enough to be caught in the middle.
    WriteBytes(dir / "big.deu", std::string(std::size_t{300} << 20, 'a'));
    WriteBytes(dir / "big.txt", "old copy\r\n");
    WriteBytes(dir / "konvertionsfehler.txt", "old log\r\n");
    const std::set<std::string> before = Entries(dir);

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execl(RZ408_CONVERT_EXE, RZ408_CONVERT_EXE, "-l", "de", dir.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Wait until the run is well into big.deu, then send the signal.
    bool caught = false;
    int status = 0;
    for (auto until = std::chrono::steady_clock::now() + 20s;
         std::chrono::steady_clock::now() < until;) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            break;
        }
        if (BytesRead(pid) > (std::uint64_t{32} << 20)) {
            ::kill(pid, row.signal);
            caught = true;
            break;
        }
        std::this_thread::sleep_for(200us);
    }
    if (caught || ::waitpid(pid, &status, WNOHANG) == 0) {
        if (!caught) {
            ::kill(pid, SIGKILL);
        }
        ::waitpid(pid, &status, 0);
    }
    if (!caught) {
        GTEST_SKIP() << "the run ended before it could be interrupted";
    }
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "an interrupted run succeeded";
    EXPECT_EQ(ReadBytes(dir / "big.txt"), "old copy\r\n");
    EXPECT_EQ(ReadBytes(dir / "konvertionsfehler.txt"), "old log\r\n");
    EXPECT_EQ(Entries(dir), before) << "stray files left in the folder";
}

INSTANTIATE_TEST_SUITE_P(Rows, Interrupt, ::testing::ValuesIn(kInterruptRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace rz408::faults
