// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace rz408 {

// The program's arguments, without its name, as UTF-8: on Linux the bytes as given, on Windows
// the wide command line converted, so that folder names outside the ANSI code page survive.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Prepares standard output and error for the messages (UTF-8 text).
void PrepareConsole();

} // namespace rz408
