// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunCommand.h"

#include "TestFiles.h"

#include <windows.h>

namespace rz408::test {

namespace {

// One argument as CommandLineToArgvW reads it back: quoted, backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& arg) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::wstring Wide(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring();
}

// The command stands beside the test program (both in the build's bin folder).
std::filesystem::path CommandPath() {
    std::wstring self(MAX_PATH, L'\0');
    const DWORD size = ::GetModuleFileNameW(nullptr, self.data(), MAX_PATH);
    self.resize(size);
    return std::filesystem::path(self).parent_path() / L"rz408-convert.exe";
}

HANDLE CreateInheritable(const std::filesystem::path& file) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Windows programs end their text lines with CR LF; the tests compare lines ended by LF.
std::string WithLfLines(std::string text) {
    std::string lf;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            lf += text[i];
        }
    }
    return lf;
}

} // namespace

std::string WhyPermissionsDoNotApply() {
    return "Windows keeps no permission bits that stop a folder from being read";
}

// Every command runs with the rights of the test: nothing on Windows reads past a folder's
// access control as root reads past permission bits.
CommandResult RunCommand(const std::vector<std::string>& args, Rights /*rights*/) {
    const TempFolder scratch("rz408-cli");
    const auto outFile = scratch / "stdout";
    const auto errFile = scratch / "stderr";
    std::wstring command = Quoted(CommandPath().wstring());
    for (const std::string& arg : args) {
        command += L" " + Quoted(Wide(arg));
    }

    CommandResult result;
    HANDLE out = CreateInheritable(outFile);
    HANDLE err = CreateInheritable(errFile);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
        ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                         &startup, &process)) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (::GetExitCodeProcess(process.hProcess, &code)) {
            result.ExitCode = static_cast<int>(code);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {out, err}) {
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
    result.Out = WithLfLines(ReadFile(outFile));
    result.Err = WithLfLines(ReadFile(errFile));
    return result;
}

} // namespace rz408::test
