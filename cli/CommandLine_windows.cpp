// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "WideText.h"
#include "Win32.h"

#include <shellapi.h>

namespace rz408 {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        // Without the wide command line, the ANSI one still serves ASCII names.
        return std::vector<std::string>(argv + 1, argv + argc);
    }
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        args.push_back(WideToUtf8(wide[i]));
    }
    ::LocalFree(wide);
    return args;
}

void PrepareConsole() {
    // The messages are UTF-8; a console shows them right only when told so.
    ::SetConsoleOutputCP(CP_UTF8);
}

} // namespace rz408
