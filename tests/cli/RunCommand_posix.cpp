#include "RunCommand.h"

#include "TempFolder.h"

#include <sys/wait.h>

#include <cstdlib>

namespace rz408::testing {

namespace {

std::string ShellQuoted(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

} // namespace

CommandResult RunCommand(const std::vector<std::string>& args,
                         const std::filesystem::path& scratch) {
    std::string command = ShellQuoted(RZ408_CONVERT_EXE);
    for (const std::string& arg : args) {
        command += " " + ShellQuoted(arg);
    }
    const auto out = scratch / "stdout";
    const auto err = scratch / "stderr";
    command += " >" + ShellQuoted(out.string()) + " 2>" + ShellQuoted(err.string());
    const int status = std::system(command.c_str());
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadBytes(out);
    result.err = ReadBytes(err);
    return result;
}

} // namespace rz408::testing
