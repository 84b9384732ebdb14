// SPDX-License-Identifier: GPL-3.0-or-later
#include "Leftovers.h"
#include "Leftovers_windows.h"
#include "Replace.h"
#include "SystemCalls_windows.h"

#include <cstring>
#include <string>

namespace rz408::fileops {

std::error_code CreateTemporary(const Folder& folder, std::string_view targetName, File& file,
                                std::string& temporaryName) {
    std::wstring check;
    if (auto error = PathIn(folder, targetName, check)) {
        return error;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryName = TemporaryName(targetName, RandomSuffix());
        std::wstring path;
        if (auto error = PathIn(folder, temporaryName, path)) {
            return error;
        }
        // Hidden, so that no listing shows it. Held open without letting anyone else open or
        // delete it (the run itself renames it through this handle): nobody reads it
        // half-written or keeps it open to write into the copy later, RemoveLeftovers of another
        // run cannot remove it, and once the program ends, however it ends, it can.
        const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            Handles::Of(file) = reinterpret_cast<std::intptr_t>(handle);
            // The mark of this program's own temporary files (RemoveLeftovers).
            FILE_BASIC_INFO basic{};
            basic.LastAccessTime = FileTimeOf(TemporaryMark(temporaryName));
            ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
            return {};
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return Win32Error(error);
        }
    }
    return std::make_error_code(std::errc::file_exists);
}

// The temporary file is renamed through its open handle; its name is not needed.
std::error_code Replace(const Folder& folder, File& temporary, std::string_view,
                        std::string_view targetName, std::uint32_t) {
    std::wstring target;
    if (auto error = PathIn(folder, targetName, target)) {
        CloseHandleOf(temporary);
        return error;
    }
    const HANDLE handle = Handle(temporary);
    // Before the temporary file takes the target's place: every byte of it on the disk, and
    // its hidden mark and the mark of a temporary file taken off, so that the target is an
    // ordinary file that the lists show.
    FILE_BASIC_INFO basic{};
    bool done = ::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic);
    if (done) {
        FILETIME now{};
        ::GetSystemTimeAsFileTime(&now);
        basic.LastAccessTime.LowPart = now.dwLowDateTime;
        basic.LastAccessTime.HighPart = static_cast<LONG>(now.dwHighDateTime);
        basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
        if (basic.FileAttributes == 0) {
            basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        }
        done = ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic) &&
               ::FlushFileBuffers(handle);
    }
    if (!done) {
        const std::error_code error = LastError();
        CloseHandleOf(temporary);
        return error;
    }
    // A read-only target is the user's protection against overwriting: it stays, as Windows'
    // own MoveFileExW keeps it (Wine would replace it).
    // A folder in the target's place is named as such (the move would say "access denied").
    const DWORD targetAttributes = ::GetFileAttributesW(target.c_str());
    std::error_code refused;
    if (targetAttributes != INVALID_FILE_ATTRIBUTES) {
        if (targetAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            refused = std::make_error_code(std::errc::is_a_directory);
        } else if (targetAttributes & FILE_ATTRIBUTE_READONLY) {
            refused = Win32Error(ERROR_ACCESS_DENIED);
        }
    }
    if (refused) {
        CloseHandleOf(temporary);
        return refused;
    }
    // Renamed through its own handle, so that nobody else can take it away before: a file that
    // was there is replaced whole, a symbolic link is replaced itself.
    const std::size_t bytes = target.size() * sizeof(wchar_t);
    std::string buffer(sizeof(FILE_RENAME_INFO) + bytes, '\0');
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(rename->FileName, target.data(), bytes);
    if (!::SetFileInformationByHandle(handle, FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size()))) {
        const std::error_code error = LastError();
        CloseHandleOf(temporary);
        return error;
    }
    return CloseHandleOf(temporary);
}

void RemoveQuietly(const Folder& folder, File& file, std::string_view name) {
    if (file.IsOpen()) {
        CloseHandleOf(file);
    }
    std::wstring path;
    if (!PathIn(folder, name, path)) {
        ::DeleteFileW(path.c_str());
    }
}

} // namespace rz408::fileops
