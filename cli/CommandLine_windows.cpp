#include "CommandLine.h"

#include <windows.h>

#include <shellapi.h>

namespace rz408 {

namespace {

std::string ToUtf8(const wchar_t* wide) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back(); // the terminating NUL
    return utf8;
}

} // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        // Without the wide command line, the ANSI one still serves ASCII names.
        return std::vector<std::string>(argv + 1, argv + argc);
    }
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        args.push_back(ToUtf8(wide[i]));
    }
    ::LocalFree(wide);
    return args;
}

void PrepareConsole() {
    // The messages are UTF-8; a console shows them right only when told so.
    ::SetConsoleOutputCP(CP_UTF8);
}

} // namespace rz408
