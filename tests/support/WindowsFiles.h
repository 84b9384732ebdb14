// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What only the Windows tests need: every name in a folder as the system holds it (UTF-16),
// a file held open by another program, and the system's own wording of an error. Temporary
// folders and whole files: TestFiles.h.

#include "Win32.h"

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>

namespace rz408::test {

// Every name in FOLDER, hidden and system files included (UTF-16).
inline std::set<std::wstring> AllNames(const std::filesystem::path& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((folder / L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            names.insert(name);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
}

// A file held open by "another program": no sharing at all, so every other open fails with
// ERROR_SHARING_VIOLATION until it is released.
class HeldOpen {
public:
    explicit HeldOpen(const std::filesystem::path& file)
        : m_handle(::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (m_handle == INVALID_HANDLE_VALUE) {
            throw std::runtime_error("cannot hold a test file open");
        }
    }
    ~HeldOpen() { Release(); }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    void Release() {
        if (m_handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(m_handle);
            m_handle = INVALID_HANDLE_VALUE;
        }
    }

private:
    HANDLE m_handle;
};

// How the system words error CODE (in ASCII for the English systems the tests run on), without
// the full stop and line end.
inline std::string SystemReason(DWORD code) {
    char text[512] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                         0, text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == '.' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return reason;
}

} // namespace rz408::test
