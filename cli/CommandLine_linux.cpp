// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

namespace rz408 {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void PrepareConsole() {}

} // namespace rz408
