// SPDX-License-Identifier: GPL-3.0-or-later
// Whole files and removal on Windows: the wide-character calls, so that every name the
// system holds can be written and read, and the marks that stop a removal taken off.

#include "TestFiles.h"

#include "WindowsFiles.h" // <windows.h>

#include <stdexcept>

namespace rz408::test {

void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
    const HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot create " + Utf8(file));
    }
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(h);
    if (!ok || written != bytes.size()) {
        throw std::runtime_error("cannot write " + Utf8(file));
    }
}

std::string ReadFile(const std::filesystem::path& file) {
    const HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return std::string(kMissing);
    }
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    ::CloseHandle(h);
    return bytes;
}

void MakeRemovable(const std::filesystem::path& folder) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ignored)) {
        ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

} // namespace rz408::test
