// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunCommand.h"

#include "TestFiles.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace rz408::test {

namespace {

std::string ShellQuoted(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Starts the command without root's rights to read and search every folder.
constexpr const char* kWithoutReadOverride =
    "setpriv --inh-caps=-all --bounding-set=-dac_override,-dac_read_search -- ";

} // namespace

std::string WhyPermissionsDoNotApply() {
    if (::geteuid() != 0) {
        return "";
    }
    return std::system("command -v setpriv >/dev/null 2>&1") == 0
               ? ""
               : "running as root without setpriv (util-linux) to drop the right to read all";
}

CommandResult RunCommand(const std::vector<std::string>& args, Rights rights) {
    const TempFolder scratch("rz408-cli");
    std::string command = ShellQuoted(RZ408_CONVERT_EXE);
    if (rights == Rights::WithoutReadOverride && ::geteuid() == 0) {
        command = kWithoutReadOverride + command;
    }
    for (const std::string& arg : args) {
        command += " " + ShellQuoted(arg);
    }
    const auto out = scratch / "stdout";
    const auto err = scratch / "stderr";
    command += " >" + ShellQuoted(out.string()) + " 2>" + ShellQuoted(err.string());
    const int status = std::system(command.c_str());
    CommandResult result;
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Out = ReadFile(out);
    result.Err = ReadFile(err);
    return result;
}

} // namespace rz408::test
